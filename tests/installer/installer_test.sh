#!/usr/bin/env bash
# A setup program under Wine, on a prefix that has never seen the client: its
# name and window title (a demo says so), silent install (files, settings key,
# 126-byte "cert", shortcuts, uninstall entry, signatures), the installed
# client's first start with nothing else set up, a second start that hands
# over, and a silent uninstall with the client running that leaves nothing behind.
#   installer_test.sh x86|x64 demo|release SETUP.exe PACKED BINDIR PREFIX CHECK
# PACKED holds the programs as the setup packed them, BINDIR zephal_probe.exe.
# CHECK: "unsigned", or the certificates that verify the signatures ("-": the system's).
# The x86 setup is a 32-bit program: it needs wine32 (a WoW64 prefix), installs
# into "Program Files (x86)" and writes the 32-bit registry view, where its
# 32-bit client reads and writes; the x64 setup uses "Program Files" and the
# 64-bit view.
set -uo pipefail
arch=$1 kind=$2 setup=$3 packed=$4 bin=$5 prefix=$6 sign_check=$7
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
export WINEPREFIX="$prefix" ZEPHAL_WINEPREFIX="$prefix"
# The shortcuts stay inside the prefix: no menu entries on the Linux side.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="

run() { "$src/tests/wine/wine-run.sh" "$@" </dev/null; }
probe() { run "$bin/zephal_probe.exe" "$@" >/dev/null 2>&1; }
fail() { echo "FAIL: $*"; exit 1; }
ok() { echo "ok: $*"; }
case $arch in
  x86) view=/reg:32 programs='Program Files (x86)' windres=i686-w64-mingw32-windres
       needs=' (a 32-bit program: it needs wine32 and a WoW64 prefix)' ;;
  x64) view=/reg:64 programs='Program Files' windres=x86_64-w64-mingw32-windres needs= ;;
  *) fail "architecture '$arch' is not x86 or x64" ;;
esac
# Setup and client use the registry view of their bitness; which one a plain
# `reg` sees depends on whether wine32 is installed, so the view is always named.
reg_value() {  # KEY NAME: the data of one value ("" = the default value), or nothing
  local sel=(/v "$2"); [ -z "$2" ] && sel=(/ve)
  run reg query "$1" "${sel[@]}" "$view" 2>/dev/null | tr -d '\r' | LC_ALL=C sed -n 's/^ *[^ ].*  *REG_[A-Z_]*  *//p'
}
has_key() { run reg query "$1" "$view" >/dev/null 2>&1; }
# Wine stores no file DACLs (and its icacls does nothing), so what is checked
# of the installation directory is the request the setup makes, from Wine's
# trace: SetNamedSecurityInfoW on the directory with owner, DACL and
# PROTECTED_DACL_SECURITY_INFORMATION (0x80000005), and the security
# descriptor string it had converted, read as a table of who may do what.
protects_dir() {  # TRACE DIR (Windows path, no trailing backslash)
  local trace=$1 dir=$2 call sddl aces
  call=$(grep -a 'trace:advapi:SetNamedSecurityInfoW ' "$trace" | grep -aF "L\"${dir//\\/\\\\}\" ")
  [ -n "$call" ] || { echo "no SetNamedSecurityInfoW of $dir"; return 1; }
  # L"path" SE_FILE_OBJECT (1) flags (printed signed) owner group dacl sacl
  [ "$(awk '{print $(NF-5), $(NF-4)}' <<<"$call" | head -1)" = "1 -2147483643" ] ||
    { echo "asked for: $call"; return 1; }
  sddl=$(grep -a 'ConvertStringSecurityDescriptorToSecurityDescriptorW L"O:' "$trace" | head -1 |
    sed 's/.*W L"\([^"]*\)".*/\1/')
  [[ $sddl == O:BAD:P\(* ]] || { echo "owner and DACL flags of '$sddl'"; return 1; }
  aces=$(grep -o '([^)]*)' <<<"${sddl#O:BAD:P}" | tr -d '()' |
    awk -F';' '{print $6, $1, $2, $3}' | sort)
  # SID, allow, inherited by files and folders below, rights (FA full, 0x1200a9 read and execute)
  [ "$aces" = $'BA A OICI FA\nBU A OICI 0x1200a9\nSY A OICI FA' ] || { echo "entries: $aces"; return 1; }
}
key_protected() {  # the settings key: protected, Administrators and SYSTEM only (Wine stores it)
  local dacl
  dacl=$(run "$bin/zephal_probe.exe" keydacl 'Software\ZEPHAL\KAVRO' 2>/dev/null | tr -d '\r')
  [ "$dacl" = 'D:P(A;OICI;KA;;;BA)(A;OICI;KA;;;SY)' ] || { echo "the key's DACL is '$dacl'"; return 1; }
}
verifies() {  # FILE: its Authenticode signature holds
  local ca=(); [ "$sign_check" != - ] && ca=(-CAfile "$sign_check")
  osslsigncode verify "${ca[@]}" -in "$1" >/dev/null 2>&1
}

# A display of its own: this prefix's explorer shows a second system tray,
# which must not cover the one the other tests read.
. "$src/scripts/xvfb.sh"
start_xvfb 1024x768x24 || fail "no Xvfb"
client_pid='' setup_pid=''
cleanup() {
  [ -n "$client_pid" ] && kill "$client_pid" 2>/dev/null
  [ -n "$setup_pid" ] && kill -9 "$setup_pid" 2>/dev/null
  wineserver -k >/dev/null 2>&1
  kill "$XVFB_PID" >/dev/null 2>&1
}
trap cleanup EXIT

[ -f "$setup" ] || fail "no setup program $setup: build the installer target first"
wineserver -k >/dev/null 2>&1
rm -rf "$prefix" "$prefix.lock"

dir_win="C:\\$programs\\Lumora Zephal\\"
dir="$prefix/drive_c/$programs/Lumora Zephal"
client_win="${dir_win}lumora_zephal.exe"
key='HKLM\Software\ZEPHAL\KAVRO'
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumora Zephal'

echo "== the setup's name and title"
name=${setup##*/}
if [ "$kind" = demo ]; then
  [[ $name == LumoraZephal-*-$arch-demo-setup.exe ]] || fail "a setup with the stand-in core is named $name"
else
  [[ $name == LumoraZephal-*-$arch-setup.exe && $name != *demo* ]] || fail "a release setup is named $name"
fi
run "$setup" >/dev/null 2>&1 &
setup_pid=$!
probe wait --class '#32770' --visible --timeout 30000 || fail "the setup showed no window$needs"
title=$(run "$bin/zephal_probe.exe" text --class '#32770' 2>/dev/null | iconv -f GBK -t UTF-8)
kill "$setup_pid" 2>/dev/null
for _ in $(seq 50); do kill -0 "$setup_pid" 2>/dev/null || break; sleep 0.1; done
kill -9 "$setup_pid" 2>/dev/null
wait "$setup_pid" 2>/dev/null
setup_pid=
case $kind:$title in
  demo:'Lumora Zephal (demo) '*|release:'Lumora Zephal '[!\(]*) ok "$name, window title '$title'" ;;
  *) fail "the $kind setup's window title is '$title'" ;;
esac

echo "== silent install"
trace="$prefix-trace.txt"
WINEDEBUG=+advapi,+security run "$setup" /S >/dev/null 2>"$trace"
rc=$?
[ "$rc" = 0 ] || fail "setup /S ended with $rc"
for f in lumora_zephal.exe Zephal_Core.dll updater.exe; do
  cmp -s "$packed/$f" "$dir/$f" || fail "$f is not installed as packed"
done
[ -f "$dir/uninstall.exe" ] || fail "no uninstall.exe"
ok "the three programs and uninstall.exe are in $dir_win"

if [ "$sign_check" = unsigned ]; then
  ! command -v osslsigncode >/dev/null || ! verifies "$setup" || fail "an unsigned build's setup verifies"
else
  signed=("$setup" "$dir/lumora_zephal.exe" "$dir/updater.exe" "$dir/uninstall.exe")
  for f in "${signed[@]}"; do verifies "$f" || fail "${f##*/}: the signature does not verify"; done
  # One byte changed anywhere in a signed program must break its signature.
  tampered="$prefix/tampered.exe"
  cp "$setup" "$tampered"
  at=$(( $(stat -c %s "$tampered") / 2 ))
  byte=$(od -An -tu1 -j "$at" -N1 "$tampered" | tr -d ' ')
  printf "\\$(printf %03o $(( byte ^ 1 )))" | dd of="$tampered" bs=1 seek="$at" conv=notrunc status=none
  cmp -s "$setup" "$tampered" && fail "could not change a byte of the copy"
  verifies "$tampered" && fail "a setup with one byte changed still verifies"
  rm -f "$tampered"
  ok "signed and verified: setup, client, updater, uninstaller; a changed byte fails"
fi

[ "$(reg_value "$key" "")" = "$dir_win" ] || fail "default value of the key: '$(reg_value "$key" "")'"
cert=$(reg_value "$key" cert | tr 'A-F' 'a-f')
expected=$(sed -n 's/^!define DEFAULT_CERT "\([0-9A-Fa-f]*\)"$/\1/p' "$src/installer/default_cert.nsh" | tr 'A-F' 'a-f')
[ "${#cert}" = 252 ] || fail "cert has $(( ${#cert} / 2 )) bytes, not 126"
[ "$cert" = "$expected" ] || fail "cert is $cert"
ok "settings key: default value $dir_win, 126-byte cert of a new installation"
why=$(protects_dir "$trace" "${dir_win%\\}") || fail "the installation directory: $why"
why=$(key_protected) || fail "$why"
ok "protected: the directory (owner Administrators; Administrators, SYSTEM full, Users read and execute) and the key"

[ "$(reg_value "$uninstall_key" QuietUninstallString)" = "\"${dir_win}uninstall.exe\" /S" ] ||
  fail "no uninstall entry in Add/Remove Programs"
ok "uninstall entry"

mapfile -t links < <(cd "$prefix/drive_c" && find . -name '*.lnk' -path '*Lumora Zephal*' | sort)
start_menu="ProgramData/Microsoft/Windows/Start Menu/Programs/Lumora Zephal"
[ -f "$prefix/drive_c/$start_menu/Lumora Zephal.lnk" ] || fail "no Start-menu shortcut: ${links[*]}"
[ -f "$prefix/drive_c/users/Public/Desktop/Lumora Zephal.lnk" ] || fail "no desktop shortcut: ${links[*]}"
ok "shortcuts: ${links[*]}"

echo "== resources of the installed client"
resources=$("$windres" -i "$dir/lumora_zephal.exe" -J coff -O rc 2>/dev/null)
grep -q 'FILEVERSION 1, 7, 2, 58' <<<"$resources" || fail "no version resource 1.7.2.58"
grep -q 'requireAdministrator' <<<"$resources" || fail "no manifest with the execution level"
grep -q 'Microsoft.Windows.Common-Controls' <<<"$resources" || fail "manifest without common controls 6"
# The shell shows the first icon group of the resource directory (sorted, names first).
first_icon=$(grep -m1 -E ' 14 /\* RT_GROUP_ICON' <<<"$resources")
[ "${first_icon%% *}" = 1000 ] || fail "the file icon is '$first_icon', not 1000"
ok "version 1.7.2.58, manifest, icon 1000 first"

echo "== first start of the installed client"
run "$client_win" >/dev/null 2>&1 &
client_pid=$!
probe wait --class Zephal_Acc --timeout 30000 || fail "the client's control window did not appear"
probe wait --class '#32770' --title 'Lumora Zephal' --visible --timeout 20000 || fail "the main window was not shown"
ok "control window and visible main window"

# Closing the main window hides it; a second start must show it again.
main=(--class '#32770' --title 'Lumora Zephal')
probe post "${main[@]}" 0x10 0 0 || fail "could not close the main window"
for _ in $(seq 50); do
  probe wait "${main[@]}" --visible --timeout 0 || break
  sleep 0.1
done
probe wait "${main[@]}" --visible --timeout 0 && fail "closing did not hide the main window"
run "$client_win" >/dev/null 2>&1
rc=$?
[ "$rc" = 1 ] || fail "a second start ended with $rc, not 1"
kill -0 "$client_pid" 2>/dev/null || fail "the first client ended on a second start"
probe wait "${main[@]}" --visible --timeout 10000 || fail "the hidden main window was not shown again"
ok "a second start hands over and ends with 1"

echo "== setup again with the client running"
# The client stored the core's version and its settings in "cert" at start
# and on its way out; a reinstallation keeps them.
run "$setup" /S >/dev/null 2>&1
rc=$?
[ "$rc" = 0 ] || fail "setup /S over a running client ended with $rc"
kill -0 "$client_pid" 2>/dev/null && fail "setup left the client running"
wait "$client_pid"
rc=$?
client_pid=
[ "$rc" = 0 ] || fail "the client ended with $rc, not through its own exit"
cert=$(reg_value "$key" cert | tr 'A-F' 'a-f')
[ "${#cert}" = 252 ] || fail "cert has $(( ${#cert} / 2 )) bytes after reinstalling"
[ "$cert" != "$expected" ] && [ "${cert:0:8}" != 00000000 ] || fail "reinstalling replaced the saved cert: $cert"
ok "setup ended the running client and kept its saved cert"

run "$client_win" >/dev/null 2>&1 &
client_pid=$!
probe wait --class '#32770' --title 'Lumora Zephal' --visible --timeout 20000 || fail "the reinstalled client shows no main window"

# The Run entry, written by the client when its "start with Windows" label is clicked.
probe command --class '#32770' --title 'Lumora Zephal' 1624 || fail "could not click the autorun label"
for _ in $(seq 50); do
  [ -n "$(reg_value "$run_key" ZephalAcc)" ] && break
  sleep 0.2
done
[ -n "$(reg_value "$run_key" ZephalAcc)" ] || fail "the client wrote no Run entry"
ok "the client wrote its Run entry: $(reg_value "$run_key" ZephalAcc)"
task="$prefix/drive_c/windows/system32/tasks/ZephalAcc"
for _ in $(seq 50); do [ -f "$task" ] && break; sleep 0.2; done
[ -f "$task" ] || fail "the client registered no log-on task"

echo "== silent uninstall with the client running"
run "$dir/uninstall.exe" /S >/dev/null 2>&1
# uninstall.exe hands over to a copy of itself in the temporary folder and returns.
for _ in $(seq 300); do
  kill -0 "$client_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$client_pid" 2>/dev/null && fail "the client still runs 30 s after the uninstall started"
wait "$client_pid"
rc=$?
client_pid=
[ "$rc" = 0 ] || fail "the client ended with $rc, not through its own exit"
ok "the uninstaller ended the client"
for _ in $(seq 300); do
  [ -e "$dir" ] || break
  sleep 0.1
done
[ -e "$dir" ] && fail "left behind in the installation directory: $(ls "$dir")"
has_key "$key" && fail "the settings key is still there"
has_key 'HKLM\Software\ZEPHAL' && fail "HKLM\\Software\\ZEPHAL is still there"
[ -n "$(reg_value "$run_key" ZephalAcc)" ] && fail "the Run entry is still there"
[ -e "$task" ] && fail "the log-on task is still there"
has_key "$uninstall_key" && fail "the uninstall entry is still there"
left=$(cd "$prefix/drive_c" && find . -path '*Lumora Zephal*')
[ -z "$left" ] && ok "nothing left: no files, shortcuts, Run entry, log-on task or keys" || fail "left behind: $left"

echo "== silent install into a folder under C:\\ that existed before, given with /D="
# NSIS takes /D= only unquoted, and Wine quotes an argument with a blank.
pre_win='C:\ZephalGames\LumoraZephal'
pre="$prefix/drive_c/ZephalGames/LumoraZephal"
mkdir -p "$pre"
echo mine >"$pre/notes.txt"
echo planted >"$pre/_updater.exe"
WINEDEBUG=+advapi,+security run "$setup" /S "/D=$pre_win" >/dev/null 2>"$trace"
rc=$?
[ "$rc" = 0 ] || fail "setup /S /D=$pre_win ended with $rc"
cmp -s "$packed/lumora_zephal.exe" "$pre/lumora_zephal.exe" || fail "the client is not installed in $pre_win"
[ -e "$pre/_updater.exe" ] && fail "a pending updater that was there stays to replace the installed one"
[ "$(reg_value "$key" "")" = "$pre_win\\" ] || fail "default value of the key: '$(reg_value "$key" "")'"
why=$(protects_dir "$trace" "$pre_win") || fail "the existing directory: $why"
why=$(key_protected) || fail "$why"
ok "an existing $pre_win is protected like a new one, and so is the key"
run "$pre/uninstall.exe" /S >/dev/null 2>&1
for _ in $(seq 300); do
  [ -e "$pre/lumora_zephal.exe" ] || [ -e "$pre/uninstall.exe" ] || break
  sleep 0.1
done
left=$(cd "$pre" && ls)
[ "$left" = notes.txt ] || fail "after uninstalling from $pre_win: '$left'"
ok "uninstalled from $pre_win: only the file that was there before stays, in the protected directory"
rm -rf "$prefix/drive_c/ZephalGames"

wineserver -k >/dev/null 2>&1
rm -rf "$prefix" "$prefix.lock" "$trace"
echo "PASS"
