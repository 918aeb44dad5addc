#!/usr/bin/env bash
# Tells whether this machine's kernel runs 32-bit x86 programs, which the 32-bit Wine loader
# (and so the shipped i686 lesamo.exe under Wine) needs. The probe cannot harm: a static i386
# program of three instructions, assembled here, that only exits with status 42.
#
# usage: runs-32bit.sh [--why]
# Exit status: 0 when 32-bit code runs; 1 when it does not (with --why, one line on standard
# output says why); 2 when the probe could not be made (no `as`/`ld`, from binutils).
# LESAMO_NO_32BIT=1 answers 1 without probing, to try the skipped path on a machine that runs
# 32-bit code.
set -uo pipefail

why=0
[ "${1:-}" = --why ] && why=1
say() { [ "$why" = 1 ] && echo "$*"; return 0; }

if [ "${LESAMO_NO_32BIT:-0}" = 1 ]; then
    say "LESAMO_NO_32BIT=1 says this machine runs no 32-bit code"
    exit 1
fi
command -v as >/dev/null && command -v ld >/dev/null ||
    { echo "runs-32bit: as and ld (binutils) are needed for the probe" >&2; exit 2; }

dir=$(mktemp -d) || exit 2
trap 'rm -rf "$dir"' EXIT
printf '.globl _start\n_start:\n\tmovl $1, %%eax\n\tmovl $42, %%ebx\n\tint $0x80\n' >"$dir/p.s"
as --32 -o "$dir/p.o" "$dir/p.s" 2>"$dir/err" && ld -m elf_i386 -o "$dir/p" "$dir/p.o" 2>>"$dir/err" ||
    { cat "$dir/err" >&2; echo "runs-32bit: cannot build the probe" >&2; exit 2; }
"$dir/p" 2>"$dir/run.err"
rc=$?
[ "$rc" = 42 ] && exit 0
reason=$(sed -e 's/^.*: //' -e 1q "$dir/run.err")
say "this kernel does not run 32-bit programs (${reason:-status $rc} from a static i386 probe)"
exit 1
