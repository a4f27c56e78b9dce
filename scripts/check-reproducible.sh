#!/usr/bin/env bash
# Shows that the 32-bit release build is reproducible: builds it twice from
# clean copies of the source tree at two different paths and compares the
# shipped programs and the setup program byte for byte.
#   bash scripts/check-reproducible.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/zephal-repro.XXXXXX)
trap 'rm -rf "$work"' EXIT

# Two paths of different lengths, so any path that leaks into a binary shows.
sides=(one second-tree)
for side in "${sides[@]}"; do
  src="$work/$side/src"
  mkdir -p "$src"
  (cd "$root" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$src")
  cmake -S "$src" -B "$work/$side/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-i686-w64-mingw32.cmake" \
    -DZEPHAL_WERROR=ON -DZEPHAL_TESTS=OFF >/dev/null
  cmake --build "$work/$side/build" --target installer -j "$(nproc)" >/dev/null
done

a="$work/${sides[0]}/build" b="$work/${sides[1]}/build"
setup=$(cd "$a" && ls LumoraZephal-*-x86-demo-setup.exe)
status=0
for f in bin/lumora_zephal.exe bin/Zephal_Core.dll bin/updater.exe "$setup"; do
  if cmp -s "$a/$f" "$b/$f"; then
    printf 'identical  %8d bytes  %s  %s\n' "$(stat -c %s "$a/$f")" "$(sha256sum <"$a/$f" | cut -c1-16)" "$f"
  else
    printf 'DIFFERENT  %s\n' "$f"
    status=1
  fi
done
exit $status
