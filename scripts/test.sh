#!/usr/bin/env bash
# Builds and runs every test: the core natively on Linux, then the Windows
# build under Wine (with Xvfb for the window tests).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

echo "== Linux build and tests"
cmake --preset linux >/dev/null
cmake --build --preset linux
ctest --preset linux

echo "== Windows build and tests under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows
xvfb-run -a -s "-screen 0 1920x1200x24" ctest --preset windows
