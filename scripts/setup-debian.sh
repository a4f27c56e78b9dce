#!/usr/bin/env bash
# Installs what building and running the client needs on a fresh Debian machine
# (as root) and enables the zh_CN.UTF-8 locale Wine takes code page 936 from.
# Where the machine executes 32-bit programs it also adds the i386 architecture
# and wine32, so the shipped i686 build runs under Wine; elsewhere it says so.
set -euo pipefail
. "$(dirname "$0")/arch32.sh"

packages=(
  cmake ninja-build g++ libgtest-dev googletest clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  wine wine64 xvfb xdotool x11-utils imagemagick locales fonts-wqy-microhei nsis osslsigncode openssl
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
  echo "setup: generating the zh_CN.UTF-8 locale"
  sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi

if runs_32bit; then
  if ! has_wine32; then
    echo "setup: installing wine32:i386 for the 32-bit build (about 170 packages)"
    export DEBIAN_FRONTEND=noninteractive
    dpkg --add-architecture i386
    apt-get update -qq
    # A failed install, or a 32-bit loader that cannot start, leaves the
    # machine as it was: without wine32 the i686 build is only compiled.
    if ! apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null ||
      ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
      echo "setup: wine32 does not work here; removing it again, the i686 build is only compiled" >&2
      apt-get purge -y -qq 'wine32:i386' 'libwine:i386' >/dev/null 2>&1 || true
    fi
  fi
elif has_wine32; then
  echo "setup: wine32 is installed but this machine does not execute 32-bit programs:" \
    "Wine fails for 64-bit programs too; remove it (apt-get purge 'wine32:i386' 'libwine:i386')" >&2
  exit 1
else
  echo "setup: this machine does not execute 32-bit programs: wine32 is left out and the i686 build is only compiled"
fi
