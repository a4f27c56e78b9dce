#!/usr/bin/env bash
# Configures and builds one configuration: native, win64 or win32.
#   scripts/build.sh native|native-asan|fuzz|win64|win32 [extra cmake options]
# native-asan: the portable tests under ASan+UBSan; fuzz: the clang fuzz targets.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
config=$1
shift
case "$config" in
  native) toolchain=() ;;
  native-asan) toolchain=(-DZEPHAL_SANITIZE=ON -DCMAKE_CXX_FLAGS_RELEASE=-O1) ;;
  fuzz) toolchain=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DZEPHAL_FUZZ=ON -DZEPHAL_TESTS=OFF) ;;
  win64) toolchain=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake") ;;
  win32) toolchain=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake") ;;
  *) echo "usage: $0 native|native-asan|fuzz|win64|win32" >&2; exit 2 ;;
esac
build="$root/build/$config"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${toolchain[@]}" "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
