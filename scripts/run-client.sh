#!/usr/bin/env bash
# Builds the client and runs it under Wine from a fresh installation: a Wine
# prefix with the settings key and an installation directory. With a display
# the client runs until it is closed; without one it runs under Xvfb, a
# screenshot is saved to build/client-screenshot.png and the client is closed.
# On a fresh Debian machine, as root: bash scripts/run-client.sh [--arch i686] [-debuglog]
# --arch i686 runs the shipped 32-bit build (where the machine executes 32-bit
# programs); the default is the x86_64 build, which runs on every machine here.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

arch=x86_64
if [ "${1:-}" = --arch ]; then
  arch=${2:-}
  shift 2 || shift $#
fi
case "$arch" in x86_64 | i686) ;; *) echo "usage: $0 [--arch i686|x86_64] [-debuglog]" >&2; exit 2 ;; esac

bash scripts/setup-debian.sh
scripts/build.sh win64  # the probe that waits for and drives windows
if [ "$arch" = i686 ]; then
  . scripts/arch32.sh
  i686_runs || { echo "run-client: this machine does not execute 32-bit programs; run without --arch i686" >&2; exit 1; }
  scripts/build.sh win32 -DZEPHAL_TESTS=OFF
  # A prefix of its own: one made before wine32 was installed has no 32-bit half.
  export ZEPHAL_WINEPREFIX="$root/build/wine-client-i686"
  bin="$root/build/win32/bin"
  programs='C:\Program Files (x86)'
  view=/reg:32
else
  export ZEPHAL_WINEPREFIX="$root/build/wine-client"
  bin="$root/build/win64/bin"
  programs='C:\Program Files'
  view=/reg:64
fi
export WINEPREFIX="$ZEPHAL_WINEPREFIX"
probe_exe="$root/build/win64/bin/zephal_probe.exe"
wine_run() { "$root/tests/wine/wine-run.sh" "$@"; }

headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  . scripts/xvfb.sh
  start_xvfb 1024x768x24
  trap 'wineserver -k >/dev/null 2>&1 || true; kill $XVFB_PID >/dev/null 2>&1 || true' EXIT
  wineserver -k >/dev/null 2>&1 || true
fi

# The installation: the directory with the programs, the key with its two values.
dir_win="$programs\\Lumora Zephal\\"
wine_run cmd /c exit </dev/null >/dev/null 2>&1  # makes the prefix on first use
dir_unix="$WINEPREFIX/drive_c/${programs#C:\\}/Lumora Zephal"
mkdir -p "$dir_unix"
cp "$bin/lumora_zephal.exe" "$bin/updater.exe" "$bin/Zephal_Core.dll" "$bin/redirect.exe" "$dir_unix/"
key='HKLM\Software\ZEPHAL\KAVRO'
# Each client reads its own view; with wine32 installed a plain `reg` is the 32-bit one.
wine_run reg add "$key" /ve /d "$dir_win" "$view" /f </dev/null >/dev/null 2>&1
if ! wine_run reg query "$key" /v cert "$view" </dev/null >/dev/null 2>&1; then
  # 126 bytes: the account "demo"/"demo" remembered, automatic login and the
  # log on (byte 44 = 0xD4), and the loopback responder as redirect server.
  # Texts are stored nibble-swapped, 20 bytes each, zero padded.
  . "$root/scripts/cert-field.sh"
  cert=00000000$(cert_field demo)$(cert_field demo)d4$(printf '00%.0s' $(seq 46))$(cert_field 127.0.0.1)$(printf '00%.0s' $(seq 15))
  wine_run reg add "$key" /v cert /t REG_BINARY /d "$cert" "$view" /f </dev/null >/dev/null 2>&1
fi

# The redirect server on loopback: port 3724 answers the watch's probe, so
# automatic login connects at the watch's next probe (5 s after the start
# when the responder is already there).
rm -f "$dir_unix/redirect.log"
responder=
start_responder() {
  wine_run "$dir_unix/redirect.exe" --address 127.0.0.1 3724=4 </dev/null >/dev/null 2>&1 &
  responder=$!
}
stop_responder() {
  [ -n "$responder" ] || return 0
  wine_run "$probe_exe" post --class ZephalRedirect 0x10 0 0 </dev/null >/dev/null 2>&1 || true
  wait "$responder" 2>/dev/null || true
}

if [ "$headless" = 0 ]; then
  start_responder
  "$root/tests/wine/wine-run.sh" "$dir_unix/lumora_zephal.exe" "$@" || true
  stop_responder
  exit 0
fi

wine_run "$dir_unix/lumora_zephal.exe" "$@" </dev/null >/dev/null 2>&1 &
client=$!
wine_run "$probe_exe" wait --class Zephal_Acc --timeout 20000 </dev/null >/dev/null
sleep 2
import -window root "$root/build/client-screenshot.png"
echo "screenshot: build/client-screenshot.png"

# The main window alone, in each view: the 500x300 top-level X window.
geometry=$(xwininfo -root -tree | grep -oE '500x300\+[0-9]+\+[0-9]+' | head -n 1 || true)
if [ -n "$geometry" ]; then
  left=$(echo "$geometry" | cut -d+ -f2)
  top=$(echo "$geometry" | cut -d+ -f3)
  shoot() {
    import -window root -crop "$geometry" +repage "$root/build/main-window-$1.png"
    echo "main window, $1: build/main-window-$1.png"
  }
  click() { xdotool mousemove $((left + $1)) $((top + $2)) click 1; sleep 0.8; }
  command() { wine_run "$probe_exe" command --class '#32770' --title 'Lumora Zephal' "$1" </dev/null >/dev/null; }
  shoot idle
  click 111 48 && shoot settings   # the settings icon
  click 152 48 && shoot about      # the view icon
  click 72 48                      # back to the login form
  command 1610 && sleep 0.5 && shoot connecting
  sleep 3 && shoot connected       # before the window hides itself after 5 s
  command 1611 && sleep 1.5
fi
# Automatic login, after the tour of the views so it cannot disturb them: the
# watch's probe at 25 s finds the responder and the client connects.
start_responder
log="$dir_unix/lumora_zephal.log"
for _ in $(seq 80); do
  grep -q "NETCHECK: change network status to ONLINE" "$log" 2>/dev/null && break
  sleep 0.5
done
sleep 2
wine_run "$probe_exe" post --class Zephal_Acc 0x10 0 0 </dev/null >/dev/null || true
# Connected: the client asks before it exits.
wine_run "$probe_exe" msgbox --caption "Lumora Zephal 提示信息" --press 6 --timeout 3000 </dev/null >/dev/null 2>&1 || true
wait "$client" || true
stop_responder
echo "log: $log"
cat "$log" 2>/dev/null || true
echo "redirect server log: $dir_unix/redirect.log"
cat "$dir_unix/redirect.log" 2>/dev/null || true
