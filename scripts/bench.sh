#!/usr/bin/env bash
# Benchmark of the client against the bare reference program (bench/reference),
# side by side in one table: start-up, memory, sizes, refresh cost, GDI/USER
# objects, idle wake-ups and shutdown. Not a test: it passes or fails nothing.
# It builds what it needs and runs on a Wine prefix and an Xvfb display of its
# own; every program it starts is ended through its own close path.
# Where the machine executes 32-bit programs the shipped i686 client's start-up,
# memory and shutdown are measured too, in the same interleaved runs.
#   bash scripts/bench.sh            (BENCH_RUNS=7 interleaved runs, BENCH_WAKE_SECONDS=60)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
runs=${BENCH_RUNS:-7}
wake_seconds=${BENCH_WAKE_SECONDS:-60}

bash scripts/setup-debian.sh
echo "bench: building" >&2
scripts/build.sh win64 -DZEPHAL_BENCH_COUNTS=ON >/dev/null
scripts/build.sh win32 -DZEPHAL_TESTS=OFF >/dev/null
. scripts/arch32.sh
i686=0
i686_runs && i686=1
mkdir -p build/bench
cc -O2 -Wall -Wextra -o build/bench/mapwait bench/mapwait.c -lX11
bin="$root/build/win64/bin"

export ZEPHAL_WINEPREFIX="$root/build/bench/wineprefix"
export WINEPREFIX="$ZEPHAL_WINEPREFIX"
# A prefix made before wine32 was installed has no 32-bit half.
if [ "$i686" = 1 ] && [ -f "$WINEPREFIX/system.reg" ] && [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
  rm -rf "$WINEPREFIX"
fi
. scripts/xvfb.sh
start_xvfb 1280x1024x24
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$XVFB_PID" >/dev/null 2>&1 || true
}
trap cleanup EXIT
wineserver -k >/dev/null 2>&1 || true
wine_run() { "$root/tests/wine/wine-run.sh" "$@" </dev/null 2>/dev/null; }

# The installation: client, counted client, stand-in core and the reference side by side.
wine_run cmd /c exit >/dev/null
dir_unix="$WINEPREFIX/drive_c/bench"
mkdir -p "$dir_unix"
cp "$bin/lumora_zephal.exe" "$bin/lumora_zephal_counted.exe" "$bin/Zephal_Core.dll" "$bin/reference.exe" "$dir_unix/"
# The stand-in core logs every call to a file; the real core does not, so that cost stays out.
echo "calllog off" >"$dir_unix/core-scenario.txt"
# 126-byte settings: "demo"/"demo" remembered (options 0xC0), automatic login and the log off.
. "$root/scripts/cert-field.sh"
cert=00000000$(cert_field demo)$(cert_field demo)c0$(printf '00%.0s' $(seq 81))
key='HKLM\Software\ZEPHAL\KAVRO'
wine_run reg add "$key" /ve /d 'C:\bench\' /reg:64 /f >/dev/null
wine_run reg add "$key" /v cert /t REG_BINARY /d "$cert" /reg:64 /f >/dev/null
# The i686 client with its own 32-bit core, in a directory named by the 32-bit view.
if [ "$i686" = 1 ]; then
  mkdir -p "$dir_unix/i686"
  cp build/win32/bin/lumora_zephal.exe build/win32/bin/Zephal_Core.dll "$dir_unix/i686/"
  cp "$dir_unix/core-scenario.txt" "$dir_unix/i686/"
  wine_run reg add "$key" /ve /d 'C:\bench\i686\' /reg:32 /f >/dev/null
  wine_run reg add "$key" /v cert /t REG_BINARY /d "$cert" /reg:32 /f >/dev/null
fi

probe() { wine_run "$bin/zephal_probe.exe" "$@" >/dev/null; }
driver() { wine_run "$bin/zephal_bench.exe" "$@"; }
value() { sed -n "s/^$1 //p" | tr -d '\r'; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Per program: the exe, the class of its hidden window, the title of its 500x300 window.
declare -A exe=([client]=lumora_zephal.exe [counted]=lumora_zephal_counted.exe [reference]=reference.exe
  [client32]='i686\lumora_zephal.exe')
declare -A class=([client]=Zephal_Acc [counted]=Zephal_Acc [reference]=ZephalReference [client32]=Zephal_Acc)
declare -A shown_class=([client]='#32770' [counted]='#32770' [reference]=ZephalReferencePopup [client32]='#32770')
declare -A title=([client]='Lumora Zephal' [counted]='Lumora Zephal' [reference]=Reference [client32]='Lumora Zephal')

pid=
started_at=
watcher=
start() {  # start PROGRAM: sets pid and startup_ms
  started_at=$(now_ms)
  local out=build/bench/mapwait.out
  : >"$out"
  # mapwait reports the mapped window at once and stays until the program has ended.
  build/bench/mapwait 500 300 20000 -- "$root/tests/wine/wine-run.sh" "C:\\bench\\${exe[$1]}" >"$out" &
  watcher=$!
  while ! grep -q '^pid ' "$out"; do
    kill -0 "$watcher" 2>/dev/null || { echo "bench: ${exe[$1]} showed no window" >&2; exit 1; }
    sleep 0.05
  done
  startup_ms=$(value startup_ms <"$out")
  pid=$(value pid <"$out")
}
stop() {  # stop PROGRAM: WM_CLOSE to its hidden window, sets shutdown_ms once the process is gone
  shutdown_ms=$(driver close --class "${class[$1]}" | value shutdown_ms)
  wait "$watcher"
}
rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$pid/status"; }
# CPU time of every thread of the process, in nanoseconds (%.0f: mawk's %d stops at 2^31).
cpu_ns() { cat /proc/"$pid"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%.0f", s}'; }
# Every time a thread of the process went to sleep and was woken again.
wakes() { cat /proc/"$pid"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ {s += $2} END {print s}'; }
hide() { driver hide --class "${shown_class[$1]}" --title "${title[$1]}" >/dev/null; }
connect() {  # connect, then wait out the five-second auto-hide
  probe command --class '#32770' --title 'Lumora Zephal' 1610
  sleep 7
}
disconnect() {
  probe command --class '#32770' --title 'Lumora Zephal' 1611
  sleep 1.5
}

declare -A samples
add() { samples[$1]="${samples[$1]:-} $2"; }

echo "bench: warm-up" >&2
programs="client reference"
[ "$i686" = 1 ] && programs="client reference client32"
for p in $programs; do start $p; sleep 1; stop $p; done

echo "bench: $runs interleaved runs of start-up, memory and shutdown" >&2
for ((i = 0; i < runs; i++)); do
  order=$programs
  ((i % 2)) && order=$(echo "$programs" | tr ' ' '\n' | tac | tr '\n' ' ')
  for p in $order; do
    start $p
    add "$p.startup" "$startup_ms"
    left=$((2000 - ($(now_ms) - started_at)))
    ((left > 0)) && sleep "$(awk "BEGIN {print $left / 1000}")"
    add "$p.rss" "$(rss_kb)"
    stop $p
    add "$p.shutdown" "$shutdown_ms"
  done
done

echo "bench: status refresh cost" >&2
# Ticks of the refresh timer are sent to the shown, connected main window; the
# same number of ticks of an unknown timer measures the delivery alone, which
# is taken off. Paints the ticks cause are waited for and counted in.
start client
connect
driver show --class '#32770' --title 'Lumora Zephal' >/dev/null
sleep 1
refresh_cpu() {
  local before after
  before=$(cpu_ns)
  driver refresh --count 1000 --timer "$1" >/dev/null
  sleep 0.3
  after=$(cpu_ns)
  echo $((after - before))
}
for ((i = 0; i < 3; i++)); do
  idle_ns=$(refresh_cpu 1)
  tick_ns=$(refresh_cpu 1905)
  add client.refresh "$(awk "BEGIN {printf \"%.3f\", ($tick_ns - $idle_ns) / 1000 / 1e6}")"
done
disconnect
stop client

echo "bench: GDI and USER objects (counted build)" >&2
start counted
connect
driver show --class '#32770' --title 'Lumora Zephal' >/dev/null
sleep 1
objects_before=$(driver objects)
driver refresh --count 100000 --timer 1905 >/dev/null
driver cycles --count 1000 >/dev/null
driver scales --count 200 >/dev/null
sleep 1
objects_after=$(driver objects)
disconnect
stop counted

echo "bench: wake-ups, ${wake_seconds} s per state" >&2
wake_rate() {  # wake_rate PROGRAM: wakes and WM_TIMER deliveries per minute over the window
  local w0 t0 w1 t1
  w0=$(wakes)
  t0=$(driver objects --class "${class[$1]}" | value timer_messages)
  sleep "$wake_seconds"
  w1=$(wakes)
  t1=$(driver objects --class "${class[$1]}" | value timer_messages)
  echo "$(((w1 - w0) * 60 / wake_seconds)) $(((${t1:-0} - ${t0:-0}) * 60 / wake_seconds))"
}
start counted
hide counted
sleep 3
read -r client_idle_wakes client_idle_timers < <(wake_rate counted)
driver show --class '#32770' --title 'Lumora Zephal' >/dev/null
connect
sleep 3
read -r client_conn_wakes client_conn_timers < <(wake_rate counted)
disconnect
stop counted
start reference
hide reference
sleep 3
read -r ref_idle_wakes _ < <(wake_rate reference)
stop reference

# The table.
stats() {  # median (min–max) of the samples
  echo "${samples[$1]}" | tr ' ' '\n' | grep . | sort -g |
    awk -v unit="$2" '{v[NR] = $1} END {m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2;
      printf "%s%s (%s–%s)", m, unit, v[1], v[NR]}'
}
median() { echo "${samples[$1]}" | tr ' ' '\n' | grep . | sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
ratio() { awk "BEGIN {printf \"%.2f\", $(median "$1") / $(median "$2")}"; }
size() { stat -c %s "$1" | awk '{printf "%d (%.0f KB)", $1, $1 / 1024}'; }
obj() { echo "$1" | value "$2"; }

echo
echo "Lumora Zephal benchmark, $(date -u +%Y-%m-%d), $runs interleaved warm runs (median (min–max))"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(wine --version 2>/dev/null)"
echo
echo "| figure | client | reference | client / reference | goal |"
echo "|---|---|---|---|---|"
echo "| start-up to the mapped main window | $(stats client.startup ' ms') | $(stats reference.startup ' ms') | $(ratio client.startup reference.startup) | ≤ 1.10 |"
echo "| resident memory after 2 s | $(stats client.rss ' KB') | $(stats reference.rss ' KB') | $(ratio client.rss reference.rss) | ≤ 1.20 |"
echo "| release executable, x86_64 | $(size build/win64/bin/lumora_zephal.exe) | $(size build/win64/bin/reference.exe) | | |"
echo "| release executable, i686 | $(size build/win32/bin/lumora_zephal.exe) | $(size build/win32/bin/reference.exe) | | ≤ 450 KB |"
echo "| CPU per status refresh (3 × 1000) | $(stats client.refresh ' ms') | — | | ≤ 0.5 ms |"
echo "| GDI objects held, before → after 100 000 refreshes, 1 000 show/hide and 200 changes of scale (counted) | $(obj "$objects_before" counted_gdi) → $(obj "$objects_after" counted_gdi) | — | | no growth |"
echo "| window DCs held, before → after (counted) | $(obj "$objects_before" counted_dc) → $(obj "$objects_after" counted_dc) | — | | no growth |"
echo "| USER objects held, before → after (counted) | $(obj "$objects_before" counted_user) → $(obj "$objects_after" counted_user) | — | | no growth |"
echo "| GetGuiResources GDI / USER, before → after | $(obj "$objects_before" gui_gdi) / $(obj "$objects_before" gui_user) → $(obj "$objects_after" gui_gdi) / $(obj "$objects_after" gui_user) | — | | |"
echo "| thread wake-ups per minute, hidden and idle | $client_idle_wakes | $ref_idle_wakes | | 0 |"
echo "| WM_TIMER per minute, hidden and idle (counted) | $client_idle_timers | — | | 0 |"
echo "| thread wake-ups per minute, hidden and connected | $client_conn_wakes | — | | ≤ 60 |"
echo "| WM_TIMER per minute, hidden and connected (counted) | $client_conn_timers | — | | ≤ 60 |"
echo "| shutdown while idle | $(stats client.shutdown ' ms') | $(stats reference.shutdown ' ms') | $(ratio client.shutdown reference.shutdown) | ≤ 150 ms |"
if [ "$i686" = 1 ]; then
  echo "| i686 client (shipped): start-up / resident memory after 2 s / shutdown while idle | $(stats client32.startup ' ms') / $(stats client32.rss ' KB') / $(stats client32.shutdown ' ms') | — | $(ratio client32.startup reference.startup) / $(ratio client32.rss reference.rss) / $(ratio client32.shutdown reference.shutdown) | as x86_64 |"
else
  echo "| i686 client (shipped) | not measured: this machine does not execute 32-bit programs | — | | |"
fi
