#!/usr/bin/env bash
# Runs a Windows executable under 64-bit Wine in the build's own prefix.
# The prefix is made once per build folder and kept, so reruns are quick.
set -u
exe="$1"; shift
build_dir="${HW_BUILD_DIR:-$(cd "$(dirname "$exe")" && pwd)}"
export WINEPREFIX="${WINEPREFIX:-$build_dir/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wine wineboot --init >/dev/null 2>&1
  # Wine draws the window frames itself, so captions show without a
  # window manager (Xvfb) and in screenshots.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d Y /f >/dev/null 2>&1
  wineserver -w
fi
wine "$exe" "$@"
rc=$?
exit $rc
