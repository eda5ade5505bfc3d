#!/usr/bin/env bash
# Builds hivewright.exe and starts it under Wine. Without a display it runs
# under Xvfb, saves a screenshot of the window and says where it is.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target hivewright dist
exe="$PWD/build/windows/hivewright.exe"
export HW_BUILD_DIR="$PWD/build/windows"

if [ -n "${DISPLAY:-}" ]; then
  exec scripts/wine-run.sh "$exe" "$@"
fi

shot="$PWD/build/windows/screenshots/hivewright.png"
mkdir -p "$(dirname "$shot")"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -u
  scripts/wine-run.sh "$1" "${@:3}" &
  pid=$!
  id=""
  for i in $(seq 1 60); do
    sleep 1
    id=$(xwininfo -root -tree 2>/dev/null | awk "/\"Hivewright\"/ {print \$1; exit}")
    [ -n "$id" ] && break
  done
  # The splash shows for four seconds before the main window.
  sleep 6
  id=$(xwininfo -root -tree 2>/dev/null | awk "/\"Hivewright\"/ {print \$1; exit}")
  if [ -n "$id" ]; then import -window "$id" "$2"; else import -window root "$2"; fi
  kill $pid 2>/dev/null
  wineserver -k 2>/dev/null
  true
' _ "$exe" "$shot" "$@"
echo "Hivewright ran under Xvfb; screenshot: $shot"
