#!/usr/bin/env bash
# Runs every test: the portable tests natively (also under ASan+UBSan), the
# fuzz targets briefly, then the Windows build's tests
# (portable, Win32 layer and the real program) under Wine on one Xvfb display.
# Also builds the 32-bit release configuration and its setup program, which
# does not run on every machine here, and checks that two such builds are byte-identical.
# On a fresh Debian machine, as root: bash scripts/run-tests.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup-debian.sh

echo "== native build and tests"
scripts/build.sh native -DZEPHAL_WERROR=ON
(cd build/native && ctest --output-on-failure -j2)

echo "== native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/build.sh native-asan -DZEPHAL_WERROR=ON
(cd build/native-asan && ctest --output-on-failure -j2)

echo "== fuzz targets, 20 s each"
bash scripts/fuzz.sh 20

echo "== 32-bit Windows release build and setup program (compile and link only)"
scripts/build.sh win32 -DZEPHAL_WERROR=ON -DZEPHAL_TESTS=OFF
cmake --build build/win32 --target installer
ls -l build/win32/bin/lumora_zephal.exe build/win32/LumoraZephal-*-x86-demo-setup.exe

echo "== 32-bit release build reproducible from clean trees"
bash scripts/check-reproducible.sh

echo "== 64-bit Windows build and setup program"
scripts/build.sh win64 -DZEPHAL_WERROR=ON
cmake --build build/win64 --target installer

# One display and one Wine session for every Windows-side test.
export ZEPHAL_WINEPREFIX="$root/build/wineprefix"
export WINEPREFIX="$ZEPHAL_WINEPREFIX"
. scripts/xvfb.sh
start_xvfb 1280x1024x24
cleanup() {
  WINEPREFIX="$ZEPHAL_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
  kill "$XVFB_PID" >/dev/null 2>&1 || true
}
trap cleanup EXIT
# explorer.exe keeps the display of the session that started it: start afresh.
wineserver -k >/dev/null 2>&1 || true

echo "== Windows tests under Wine"
(cd build/win64 && ctest --output-on-failure -j2)
