#!/usr/bin/env bash
# Runs every test: the portable tests natively under ASan+UBSan, the fuzz
# targets briefly, then the Windows builds' tests (portable, Win32 layer,
# the real program and the setup program) under Wine on one Xvfb display.
# The i686 release build is what ships: where the machine executes 32-bit
# programs (wine32 installed by setup-debian.sh) the whole Windows-side suite
# runs on it, and the x86_64 build keeps what only it shows; elsewhere the
# i686 build is compiled, packed and checked for reproducibility, and the whole
# suite runs on x86_64.
# On a fresh Debian machine, as root: bash scripts/run-tests.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup-debian.sh
. scripts/arch32.sh
i686=0
i686_runs && i686=1

# Each stage says when it starts, so a slow one shows in CI's log.
stage() { echo "== $* (at ${SECONDS} s)"; }

# One native run, under the sanitizers: a plain build would run the same tests
# again, and the Windows builds compile the same code with optimisation and
# warnings as errors.
stage "native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/build.sh native-asan -DZEPHAL_WERROR=ON
(cd build/native-asan && ctest --output-on-failure -j2)

stage "fuzz targets, 10 s each"
bash scripts/fuzz.sh 10

# A throw-away certificate: the setups the tests install are signed with it,
# so the installer test can check the signatures.
export ZEPHAL_SIGN_PASSWORD=zephal-test
bash tests/installer/make-test-cert.sh "$root/build/test-cert"
signing=(-DZEPHAL_SIGN_PFX="$root/build/test-cert/zephal-test.pfx"
  -DZEPHAL_SIGN_CAFILE="$root/build/test-cert/zephal-test-cert.pem")

if [ "$i686" = 1 ]; then
  stage "32-bit Windows release build, its tests and setup program (signed with the test certificate)"
  scripts/build.sh win32 -DZEPHAL_WERROR=ON "${signing[@]}"
else
  stage "32-bit Windows release build and setup program (compile and link only: no 32-bit execution here)"
  scripts/build.sh win32 -DZEPHAL_WERROR=ON -DZEPHAL_TESTS=OFF
fi
cmake --build build/win32 --target installer
ls -l build/win32/bin/lumora_zephal.exe build/win32/LumoraZephal-*-x86-demo-setup.exe

# The reproducibility check and the 64-bit build. Where the i686 suite runs
# they compile beside it, at idle priority: the suite is one test at a time
# and mostly waits on windows and timers, so the cores would idle meanwhile.
later_builds() {
  stage "32-bit release build reproducible from clean trees"
  bash scripts/check-reproducible.sh
  stage "64-bit Windows build and setup program (signed with the test certificate)"
  scripts/build.sh win64 -DZEPHAL_WERROR=ON "${signing[@]}"
  cmake --build build/win64 --target installer
}
if [ "$i686" = 1 ]; then
  background_log="$root/build/later-builds.log"
  (
    # Idle priority, which the compilers inherit: they take only what the tests leave.
    chrt --idle -p 0 "$BASHPID" >/dev/null 2>&1 || true
    renice -n 19 -p "$BASHPID" >/dev/null 2>&1 || true
    later_builds
  ) >"$background_log" 2>&1 &
  background=$!
else
  later_builds
fi

# One display and one Wine session for every Windows-side test.
export ZEPHAL_WINEPREFIX="$root/build/wineprefix"
export WINEPREFIX="$ZEPHAL_WINEPREFIX"
. scripts/xvfb.sh
start_xvfb 1280x1024x24
cleanup() {
  WINEPREFIX="$ZEPHAL_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
  kill "$XVFB_PID" >/dev/null 2>&1 || true
  [ -z "${background:-}" ] || kill "$background" >/dev/null 2>&1 || true
}
trap cleanup EXIT
# explorer.exe keeps the display of the session that started it: start afresh.
wineserver -k >/dev/null 2>&1 || true
# One Wine session for the whole run: Wine ends a session about 3 s after its
# last program has left the desktop, and a test started while it goes away
# finds no shell and no desktop window. The probe holds the desktop meanwhile.
holder=build/win64/bin/zephal_probe.exe
[ "$i686" = 1 ] && holder=build/win32/bin/zephal_probe.exe
tests/wine/wine-run.sh "$holder" hold --timeout 7200000 </dev/null >/dev/null 2>&1 &

# Both runs go on when one fails, so one result does not hide the other.
status=0
if [ "$i686" = 1 ]; then
  stage "Windows tests under Wine: i686, the shipped build, every test"
  (cd build/win32 && ctest --output-on-failure -j2) || status=1
  stage "the builds made meanwhile"
  built=0
  wait "$background" || built=$?
  background=
  cat "$background_log"
  if [ "$built" != 0 ]; then
    echo "== the reproducibility check or the 64-bit build failed (exit $built): no x86_64 tests"
    exit 1
  fi
  # Two full runs would not fit CI's time: x86_64 keeps the portable, Win32-layer,
  # picture and setup tests, where pointer width and the 64-bit view differ.
  stage "Windows tests under Wine: x86_64, all but the real-program tests"
  (cd build/win64 && ctest --output-on-failure -j2 -LE real_program) || status=1
else
  stage "Windows tests under Wine: x86_64, every test"
  if runs_32bit; then
    echo "   (the i686 suite is skipped: wine32 is not installed; scripts/setup-debian.sh said why)"
  else
    echo "   (the i686 suite is skipped: this machine does not execute 32-bit programs)"
  fi
  (cd build/win64 && ctest --output-on-failure -j2) || status=1
fi
exit $status
