#!/bin/sh
# Chooses the flavour that this machine runs: win32 (the shipped 32-bit program under 32-bit
# Wine) or win64 (the same sources for x86_64, under 64-bit Wine). Prints the flavour on stdout
# and one line saying which and why on stderr.
#   CALLERID_ARCH=win32|win64 forces a flavour.
#   scripts/flavour.sh --can-run-32bit   only runs the probe below: exit status 0 when this
#                                        machine runs 32-bit programs (tests that need 32-bit
#                                        Wine decide with it, whatever flavour was chosen)
# Otherwise it tries: some machines of our kind cannot execute 32-bit Linux programs at all
# (the kernel answers "Exec format error"), and 32-bit Wine is such a program. A hand-made
# 32-bit ELF that only exits with status 42 tells without any package installed, so the choice
# can be made before setup decides what to install.
# POSIX sh, like common.sh, which sources the function below.
set -eu

callerid_can_run_32bit() {
  probe="$(mktemp "${TMPDIR:-/tmp}/callerid-i386-probe.XXXXXX")"
  # ELF header (52 bytes), one loadable segment (32 bytes), then the code at 0x08048054:
  #   mov eax, 1 ; mov ebx, 42 ; int 0x80      (the 32-bit exit system call)
  printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000' >"$probe"
  printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000' >>"$probe"
  printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\050\000' >>"$probe"
  printf '\000\000\000\000' >>"$probe"
  printf '\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010' >>"$probe"
  printf '\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000' >>"$probe"
  printf '\270\001\000\000\000\273\052\000\000\000\315\200' >>"$probe"
  chmod +x "$probe"
  status=0
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ "$status" = 42 ]
}

if [ "${1:-}" = --can-run-32bit ]; then
  callerid_can_run_32bit
  exit
fi

case "${CALLERID_ARCH:-}" in
  win32|win64)
    echo "$CALLERID_ARCH"
    echo "flavour: $CALLERID_ARCH, forced by CALLERID_ARCH" >&2
    ;;
  "")
    if callerid_can_run_32bit; then
      echo win32
      echo "flavour: win32 (the shipped 32-bit program), because this machine runs 32-bit programs" >&2
    else
      echo win64
      echo "flavour: win64, because this machine cannot run 32-bit programs (win32 is still compiled, not run)" >&2
    fi
    ;;
  *)
    echo "flavour: CALLERID_ARCH must be win32 or win64, not '$CALLERID_ARCH'" >&2
    exit 2
    ;;
esac
