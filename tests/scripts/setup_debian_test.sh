#!/usr/bin/env bash
# scripts/setup-debian.sh against a stand-in package system (apt-get, dpkg,
# dpkg-query, locale, and as/ld for the 32-bit probe, first in PATH): a mirror
# whose i386 index is broken leaves the machine without wine32 and the script
# goes on; a required package that cannot be installed stops it by name.
#   tests/scripts/setup_debian_test.sh SOURCE_DIR
set -euo pipefail
src=${1:?usage: setup_debian_test.sh SOURCE_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bin=$work/bin state=$work/state
mkdir -p "$bin" "$state"
export STATE=$state

# Every stand-in keeps its state in $STATE: installed, arches, broken (packages
# no mirror has), and i386-broken (the i386 index fails to download).
cat >"$bin/apt-get" <<'SH'
#!/usr/bin/env bash
echo "apt-get $*" >>"$STATE/calls"
case $1 in
  update)
    if [ -e "$STATE/i386-broken" ] && grep -qx i386 "$STATE/arches"; then
      echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size" >&2; exit 100
    fi ;;
  install)
    simulate=0
    for a in "${@:2}"; do
      case $a in -s) simulate=1 ;; -*) ;; *) grep -qx "$a" "$STATE/broken" && { echo "E: Unable to locate package $a" >&2; exit 100; } ;; esac
    done
    [ $simulate = 1 ] || for a in "${@:2}"; do [[ $a == -* ]] || echo "$a" >>"$STATE/installed"; done ;;
  purge)
    for a in "${@:2}"; do [[ $a == -* ]] || sed -i "\|^$a\$|d" "$STATE/installed"; done ;;
esac
SH
cat >"$bin/dpkg-query" <<'SH'
#!/usr/bin/env bash
grep -qx "${!#}" "$STATE/installed" && printf 'install ok installed'
SH
cat >"$bin/dpkg" <<'SH'
#!/usr/bin/env bash
case $1 in
  --print-foreign-architectures) cat "$STATE/arches" ;;
  --add-architecture) echo "$2" >>"$STATE/arches" ;;
  --remove-architecture) sed -i "\|^$2\$|d" "$STATE/arches" ;;
esac
SH
printf '#!/bin/sh\nprintf "C\\nzh_CN.utf8\\nen_US.utf8\\nzh_TW.utf8\\n"\n' >"$bin/locale"
# The 32-bit probe assembles, links and runs a tiny program: here it always runs.
printf '#!/bin/sh\nfor a; do [ "$p" = -o ] && : >"$a"; p=$a; done\n' >"$bin/as"
printf '#!/bin/sh\nfor a; do [ "$p" = -o ] && printf "#!/bin/sh\\n" >"$a" && chmod +x "$a"; p=$a; done\n' >"$bin/ld"
chmod +x "$bin"/*

# Everything required is there but nsis; wine32's i386 index is broken.
reset() {
  : >"$state/calls"; : >"$state/arches"; : >"$state/broken"; rm -f "$state/i386-broken"
  sed -n '/^packages=(/,/^)/p' "$src/scripts/setup-debian.sh" | sed '1d;$d' | tr ' ' '\n' | sed '/^$/d' | grep -vx nsis >"$state/installed"
}
failures=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi; }

reset
touch "$state/i386-broken"
rc=0
out=$(PATH="$bin:$PATH" bash "$src/scripts/setup-debian.sh" 2>&1) || rc=$?
echo "$out" | sed 's/^/  | /'
check "a broken optional i386 index: the script goes on and succeeds" '[ $rc = 0 ]'
check "the required package missing was installed" 'grep -qx nsis "$state/installed"'
check "wine32 is not installed and the i386 architecture it added is gone" \
  '! grep -q "wine32" "$state/installed" && ! grep -qx i386 "$state/arches"'
check "no install of wine32 was tried on a failed update" '! grep -q "install.*wine32" "$state/calls"'
check "the output says wine32 is left out" 'grep -q "wine32 is left out" <<<"$out"'

reset
echo nsis >"$state/broken"
rc=0
out=$(PATH="$bin:$PATH" bash "$src/scripts/setup-debian.sh" 2>&1) || rc=$?
echo "$out" | sed 's/^/  | /'
check "a required package that cannot be installed stops the script" '[ $rc != 0 ]'
check "the message names the package and the command" \
  'grep -q "required package(s) nsis:.*apt-get install -y --no-install-recommends nsis" <<<"$out"'
check "nothing after the failure ran (no wine32 attempt)" '! grep -q "wine32" "$state/calls"'

[ $failures = 0 ]
