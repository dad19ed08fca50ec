#!/usr/bin/env bash
# Exits 0 when this kernel executes 32-bit x86 programs, 1 otherwise (and prints why).
# Some kernels have the 32-bit layer compiled in but switched off, so we run a program instead
# of reading the configuration: a 96-byte static i386 ELF that only calls exit(42).
# SNAPFERRY_NO_32BIT=1 answers "no" without trying (to see the other path on any machine).
set -uo pipefail
if [ -n "${SNAPFERRY_NO_32BIT:-}" ]; then
  echo "32-bit execution switched off by SNAPFERRY_NO_32BIT"; exit 1
fi
if [ "$(uname -m)" != x86_64 ]; then
  echo "machine is $(uname -m), not x86_64"; exit 1
fi
probe=$(mktemp)
trap 'rm -f "$probe"' EXIT
# ELF header, one loadable segment at 0x08048000, then: mov eax,1; mov ebx,42; int 0x80.
printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\010\064\0\0\0\0\0\0\0\0\0\0\0\064\0\040\0\1\0\0\0\0\0\0\0' >"$probe"
printf '\1\0\0\0\0\0\0\0\0\200\4\010\0\200\4\010\140\0\0\0\140\0\0\0\5\0\0\0\0\020\0\0' >>"$probe"
printf '\270\1\0\0\0\273\052\0\0\0\315\200' >>"$probe"
chmod +x "$probe"
"$probe" 2>/dev/null
status=$?
if [ $status -eq 42 ]; then exit 0; fi
echo "the kernel does not execute 32-bit programs (probe exit status $status)"
exit 1
