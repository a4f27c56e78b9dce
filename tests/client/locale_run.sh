#!/usr/bin/env bash
# Runs tests of the real program under another system locale, and with it
# another ANSI code page:
#   locale_run.sh LOCALE CODE_PAGE PREFIX PROGRAM FILTER [PROGRAM FILTER ...]
# e.g. locale_run.sh en_US.UTF-8 1252 build/win64/wine-locale \
#        build/win64/bin/zephal_client_tests.exe 'CodePageTest.*'
# Each locale gets a Wine session of its own, on a prefix apart from the other
# tests' (one for all locale runs): the session's processes (explorer, which
# shows the tray and its tooltips, among them) keep the locale they started
# with, and the tooltip tests want a fresh session anyway. The session is ended
# again afterwards. The tests check that they run under CODE_PAGE.
set -u
locale=$1 codepage=$2 prefix=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
# Wine falls back to code page 1252 without a word when the locale is missing.
if ! locale -a 2>/dev/null | grep -qix "${locale/UTF-8/utf8}"; then
  echo "locale_run: the locale $locale is not generated (scripts/setup-debian.sh generates it)" >&2
  exit 1
fi
export ZEPHAL_WINEPREFIX="$prefix" WINEPREFIX="$prefix" ZEPHAL_WINE_LANG="$locale" ZEPHAL_TEST_CODE_PAGE="$codepage"
run="$here/../wine/wine-run.sh"
# A display of its own too, so these runs go on beside the other tests.
. "$here/../../scripts/xvfb.sh"
start_xvfb 1280x1024x24 || exit 1
trap 'kill "$XVFB_PID" 2>/dev/null' EXIT

end_session() {
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
}

end_session
status=0
while (($# >= 2)); do
  "$run" "$1" --gtest_filter="$2" || status=$?
  shift 2
done
end_session
exit $status
