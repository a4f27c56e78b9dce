#!/usr/bin/env bash
# Installs what building and running the client needs on a fresh Debian machine
# (as root) and enables the locales Wine takes its code pages from.
# Where the machine executes 32-bit programs it also adds the i386 architecture
# and wine32, so the shipped i686 build runs under Wine; elsewhere it says so.
# wine32 is optional: whatever keeps it from installing (a mirror serving a
# broken i386 index, a loader that cannot start) leaves the machine without it
# and the script goes on. A required package that cannot be installed stops the
# script with its name and the command that failed.
set -euo pipefail
. "$(dirname "$0")/arch32.sh"

packages=(
  cmake ninja-build g++ libgtest-dev googletest clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  wine wine64 xvfb xdotool x11-utils imagemagick locales fonts-wqy-microhei nsis osslsigncode openssl
)
export DEBIAN_FRONTEND=noninteractive

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# A failed update (one index of many, say) is reported; the install that
# follows decides whether it mattered.
update_lists() {
  apt-get update -qq && return 0
  echo "setup: 'apt-get update' failed (exit $?); going on with the package lists there are" >&2
  return 1
}

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  update_lists || true
  if ! apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
    # Name the packages that cannot be had, not just the whole list.
    bad=()
    for p in "${missing[@]}"; do
      apt-get install -s -qq --no-install-recommends "$p" >/dev/null 2>&1 || bad+=("$p")
    done
    echo "setup: cannot install the required package(s) ${bad[*]:-${missing[*]}}:" \
      "'apt-get install -y --no-install-recommends ${missing[*]}' failed" >&2
    exit 1
  fi
fi

for loc in zh_CN en_US zh_TW; do
  if ! locale -a 2>/dev/null | grep -qi "^$loc\.utf8$"; then
    echo "setup: enabling the $loc.UTF-8 locale"
    sed -i "s/^# *$loc.UTF-8 UTF-8/$loc.UTF-8 UTF-8/" /etc/locale.gen
    grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen || echo "$loc.UTF-8 UTF-8" >>/etc/locale.gen
    generate=1
  fi
done
if [ -n "${generate:-}" ]; then
  locale-gen >/dev/null || { echo "setup: 'locale-gen' failed" >&2; exit 1; }
fi

# Leaves the machine as it was before the wine32 attempt: no wine32, and no
# i386 architecture when this script added it, so later updates of the
# required packages are not held up by an i386 index either.
drop_wine32() {
  echo "setup: $1; wine32 is left out and the i686 build is only compiled" >&2
  apt-get purge -y -qq 'wine32:i386' 'libwine:i386' >/dev/null 2>&1 || true
  if [ "$2" = added ]; then dpkg --remove-architecture i386 >/dev/null 2>&1 || true; fi
}

if runs_32bit; then
  if ! has_wine32; then
    echo "setup: installing wine32:i386 for the 32-bit build (about 170 packages)"
    arch=present
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      dpkg --add-architecture i386
      arch=added
    fi
    if ! update_lists; then
      drop_wine32 "the package lists for i386 could not be updated" "$arch"
    elif ! apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null; then
      drop_wine32 "'apt-get install wine32:i386' failed" "$arch"
    elif ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
      drop_wine32 "the 32-bit Wine loader does not start" "$arch"
    fi
  fi
elif has_wine32; then
  echo "setup: wine32 is installed but this machine does not execute 32-bit programs:" \
    "Wine fails for 64-bit programs too; remove it (apt-get purge 'wine32:i386' 'libwine:i386')" >&2
  exit 1
else
  echo "setup: this machine does not execute 32-bit programs: wine32 is left out and the i686 build is only compiled"
fi
