# Sourced by the scripts: whether the shipped 32-bit build can run here.
#
# Wine runs i686 programs through its 32-bit half (Debian's wine32:i386), which
# needs a kernel that executes 32-bit x86 programs. Some hypervisors leave that
# off although the kernel is built with it; there wine32 must stay out, since
# Debian's `wine` launcher then prefers the 32-bit loader and every `wine` call
# fails, 64-bit programs included.

# True when a minimal static i386 program runs (binutils comes with g++).
runs_32bit() {
  command -v as >/dev/null 2>&1 && command -v ld >/dev/null 2>&1 || return 1
  local dir rc=1
  dir=$(mktemp -d)
  printf '.globl _start\n_start:\n mov $1, %%eax\n xor %%ebx, %%ebx\n int $0x80\n' >"$dir/exit.s"
  if as --32 "$dir/exit.s" -o "$dir/exit.o" 2>/dev/null && ld -m elf_i386 "$dir/exit.o" -o "$dir/exit" 2>/dev/null; then
    "$dir/exit" 2>/dev/null && rc=0
  fi
  rm -rf "$dir"
  return $rc
}

has_wine32() { dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; }

# The i686 programs run here: the machine executes them and wine32 is installed.
i686_runs() { runs_32bit && has_wine32; }
