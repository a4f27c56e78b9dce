#!/usr/bin/env bash
# Screenshots of the main window in each view at one display scale, under
# Xvfb on a Wine prefix of their own (build/wine-shots):
#   bash scripts/window-shots.sh DPI [OUTDIR [LOCALE]]   (DPI 96, 120, 144, 192, ...)
# writes OUTDIR/main-window-DPI-{idle,settings,about,connecting,connected}.png
# (OUTDIR defaults to build/shots). LOCALE (en_US.UTF-8 for code page 1252,
# zh_TW.UTF-8 for 950; zh_CN.UTF-8, 936, without it) runs the session under
# that system locale and puts it in the names: main-window-DPI-LOCALE-VIEW.png.
# ZEPHAL_CLIENT_EXE takes another build of the client, to compare two builds
# picture by picture (compare -metric AE).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dpi=${1:?usage: window-shots.sh DPI [OUTDIR]}
out=${2:-$root/build/shots}
locale=${3:-}
tag=$dpi${locale:+-$locale}
[ -z "$locale" ] || export ZEPHAL_WINE_LANG="$locale"
bin="$root/build/win64/bin"
exe=${ZEPHAL_CLIENT_EXE:-$bin/lumora_zephal.exe}
mkdir -p "$out"

export ZEPHAL_WINEPREFIX="$root/build/wine-shots" WINEPREFIX="$root/build/wine-shots"
wine_run() { "$root/tests/wine/wine-run.sh" "$@" </dev/null; }
. "$root/scripts/xvfb.sh"
start_xvfb 1280x1024x24
trap 'wineserver -k >/dev/null 2>&1 || true; kill $XVFB_PID >/dev/null 2>&1 || true' EXIT
wineserver -k >/dev/null 2>&1 || true

# The scale: the session's LogPixels, read when a session starts.
wine_run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
wine_run reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
  /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true

dir_win='C:\Program Files\Lumora Zephal\'
dir_unix="$WINEPREFIX/drive_c/Program Files/Lumora Zephal"
mkdir -p "$dir_unix"
cp "$exe" "$dir_unix/lumora_zephal.exe"
cp "$bin/Zephal_Core.dll" "$dir_unix/"
key='HKLM\Software\ZEPHAL\KAVRO'
wine_run reg add "$key" /ve /d "$dir_win" /reg:64 /f >/dev/null 2>&1
# The account "demo"/"demo" remembered, no automatic login (nothing connects
# by itself between the pictures).
. "$root/scripts/cert-field.sh"
cert=00000000$(cert_field demo)$(cert_field demo)c0$(printf '00%.0s' $(seq 81))
wine_run reg add "$key" /v cert /t REG_BINARY /d "$cert" /reg:64 /f >/dev/null 2>&1

s() { echo $((($1 * dpi + 48) / 96)); }  # the layout's rounding rule
wine_run "$dir_unix/lumora_zephal.exe" >/dev/null 2>&1 &
client=$!
wine_run "$bin/zephal_probe.exe" wait --class Zephal_Acc --timeout 20000 >/dev/null
sleep 2
size="$(s 500)x$(s 300)"
geometry=$(xwininfo -root -tree | grep -oE "$size\+[0-9]+\+[0-9]+" | head -n 1 || true)
[ -n "$geometry" ] || { echo "window-shots: no $size window" >&2; exit 1; }
left=$(echo "$geometry" | cut -d+ -f2)
top=$(echo "$geometry" | cut -d+ -f3)
shoot() {
  import -window root -crop "$geometry" +repage "$out/main-window-$tag-$1.png"
  echo "$out/main-window-$tag-$1.png"
}
# Toolbar icons by their 96-DPI zone middles, scaled.
click() { xdotool mousemove $((left + $(s "$1"))) $((top + $(s "$2"))) click 1; sleep 0.8; }
command() { wine_run "$bin/zephal_probe.exe" command --class '#32770' --title 'Lumora Zephal' "$1" >/dev/null; }
xdotool mousemove 0 0
shoot idle
click 111 50 && shoot settings
click 152 50 && shoot about
click 72 50
xdotool mousemove 0 0 && sleep 0.5
command 1610 && sleep 0.5 && shoot connecting
sleep 3 && shoot connected
command 1611 && sleep 1.5
wine_run "$bin/zephal_probe.exe" post --class Zephal_Acc 0x10 0 0 >/dev/null || true
wait "$client" || true
