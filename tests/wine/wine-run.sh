#!/usr/bin/env bash
# Runs one Windows program under Wine, for CTest and the scripts.
#
# The first Wine program of a session starts wineserver, services.exe and
# explorer.exe. Started from a test they would inherit CTest's output pipe and
# CTest would wait for them for good, so the session is started here first with
# its standard streams on /dev/null, under a lock so parallel tests start it once.
set -u
export WINEPREFIX="${WINEPREFIX:-${ZEPHAL_WINEPREFIX:-/tmp/zephal-wine}}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# The system locale, and with it the ANSI code page: zh_CN.UTF-8 (936) unless
# a run asks for another with ZEPHAL_WINE_LANG (en_US.UTF-8 for 1252,
# zh_TW.UTF-8 for 950). The caller's LANG never leaks in.
export LANG="${ZEPHAL_WINE_LANG:-zh_CN.UTF-8}"
export LC_ALL="$LANG"

session_running() {
  # A running wineserver keeps a socket in a server-DEV-INODE directory of the prefix.
  [ -d "$WINEPREFIX" ] || return 1
  local id
  id=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
  compgen -G "/tmp/.wine-$(id -u)/$id/socket" >/dev/null || compgen -G "/tmp/wine-*/$id/socket" >/dev/null
}

mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
# A prefix made before wine32 was installed has an empty syswow64 and cannot
# start programs once it is (c0000135), 64-bit ones too: make it anew.
if [ -e /usr/lib/wine/wine ] && [ -f "$WINEPREFIX/system.reg" ] &&
  [ ! -e "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
  echo "wine-run: $WINEPREFIX was made before wine32 was installed; making it anew" >&2
  wineserver -k </dev/null >/dev/null 2>&1 9>&-
  rm -rf "$WINEPREFIX"
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  # A new prefix goes on setting itself up after wineboot returns; programs
  # started meanwhile fail now and then (CreateProcess error 1359, or exit at
  # once without a word). Create it, then wait until every process has ended.
  wineboot -i </dev/null >/dev/null 2>&1 9>&-
  # Without a window manager Wine's managed windows take 2 s to hide or close.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 9>&-
  wineserver -w </dev/null >/dev/null 2>&1 9>&-
fi
if ! session_running; then
  wineboot </dev/null >/dev/null 2>&1 9>&-
fi
flock -u 9
exec 9>&-

# The program's output reaches the caller through two FIFOs and a reader for
# each, ended a moment after the program: a Wine process it started (explorer
# coming back after a session end, say) inherits them and would otherwise keep
# CTest, or a caller's $(...), waiting for the end of the output for good.
#
# Now and then (seen once in CI) Wine cannot load the program and runs
# start.exe in its place, which prints two lines ending in "ShellExecuteEx
# failed: ..." and exits with 1: the program never ran. Then it is started
# once more.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkfifo "$work/out" "$work/err"
run_once() {
  : >"$work/out.txt"
  tee -- "$work/out.txt" <"$work/out" &
  local out_reader=$!
  cat <"$work/err" >&2 &
  local err_reader=$!
  wine "$@" <&0 >"$work/out" 2>"$work/err" &  # <&0: a job in the background would read /dev/null
  pid=$!
  trap 'kill -TERM "$pid" 2>/dev/null' TERM INT
  while :; do
    wait "$pid"
    rc=$?
    kill -0 "$pid" 2>/dev/null || break  # a trapped signal ended the wait, not the program
  done
  for _ in $(seq 10); do
    kill -0 "$out_reader" 2>/dev/null || kill -0 "$err_reader" 2>/dev/null || break
    sleep 0.1
  done
  kill "$out_reader" "$err_reader" 2>/dev/null
  wait "$out_reader" "$err_reader" 2>/dev/null
  return "$rc"
}
did_not_load() { grep -q '^ShellExecuteEx' "$work/out.txt" && [ "$(wc -l <"$work/out.txt")" -le 3 ]; }

run_once "$@"
rc=$?
if [ "$rc" = 1 ] && did_not_load; then
  echo "wine-run: Wine did not load $1 (start.exe answered in its place); starting it once more" >&2
  run_once "$@"
  rc=$?
fi
exit "$rc"
