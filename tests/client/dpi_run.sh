#!/usr/bin/env bash
# Runs the display-scale tests of the real program at one system DPI:
#   dpi_run.sh DPI TEST_PROGRAM PREFIX
# The scale is the Wine session's LogPixels, read when a session starts, so
# the prefix (one for all DPI runs, apart from the other tests' prefix) gets
# the value and a new session; the session is ended again afterwards.
set -u
dpi=$1 program=$2 prefix=$3
here=$(cd "$(dirname "$0")" && pwd)
export ZEPHAL_WINEPREFIX="$prefix" WINEPREFIX="$prefix"
run="$here/../wine/wine-run.sh"

set_dpi() {
  "$run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
  "$run" reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
}

set_dpi "$dpi"
ZEPHAL_TEST_DPI=$dpi "$run" "$program" --gtest_filter='DisplayScaleTest.*'
status=$?
wineserver -k >/dev/null 2>&1
exit $status
