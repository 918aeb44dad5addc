#!/usr/bin/env bash
# Checks a built Windows executable: machine and PE format, subsystem, and that it imports
# system DLLs only (the runtime is linked in statically, so nothing has to ship beside it).
#
# usage: pe-check.sh --objdump PATH --machine i386|x86-64 --subsystem console|windows EXE
set -uo pipefail

# DLLs that every Windows installation has. No MinGW runtime DLL (libstdc++-6, libgcc_s_*,
# libwinpthread-1) and no api-ms-win-crt-* (the universal CRT is missing on older systems).
readonly ALLOWED="kernel32.dll user32.dll gdi32.dll comctl32.dll advapi32.dll winmm.dll
shell32.dll msvcrt.dll ole32.dll comdlg32.dll"

objdump= machine= subsystem=
while [ $# -gt 1 ]; do
    case $1 in
        --objdump) objdump=$2; shift 2 ;;
        --machine) machine=$2; shift 2 ;;
        --subsystem) subsystem=$2; shift 2 ;;
        *) break ;;
    esac
done
[ $# -eq 1 ] && [ -n "$objdump" ] && [ -n "$machine" ] && [ -n "$subsystem" ] || {
    echo "usage: pe-check.sh --objdump PATH --machine i386|x86-64 --subsystem console|windows EXE" >&2
    exit 2
}
exe=$1

case $machine in
    i386) want_format=pei-i386 want_arch='i386' want_magic='(PE32)' ;;
    x86-64) want_format=pei-x86-64 want_arch='i386:x86-64' want_magic='(PE32+)' ;;
    *) echo "pe-check: unknown machine $machine" >&2; exit 2 ;;
esac
case $subsystem in
    console) want_subsystem='(Windows CUI)' ;;
    windows) want_subsystem='(Windows GUI)' ;;
    *) echo "pe-check: unknown subsystem $subsystem" >&2; exit 2 ;;
esac

[ -f "$exe" ] || { echo "pe-check: $exe not found" >&2; exit 1; }
headers=$("$objdump" -f -p "$exe") || { echo "pe-check: $objdump cannot read $exe" >&2; exit 1; }

failed=0
fail() { echo "pe-check: $exe: $*" >&2; failed=1; }

format=$(sed -n 's/.*file format \([^ ]*\).*/\1/p' <<<"$headers" | head -n 1)
arch=$(sed -n 's/^architecture: \([^,]*\),.*/\1/p' <<<"$headers" | head -n 1)
magic=$(awk '$1 == "Magic" { print $3; exit }' <<<"$headers")
sub=$(awk '$1 == "Subsystem" { $1 = $2 = ""; sub(/^ +/, ""); print; exit }' <<<"$headers")
[ "$format" = "$want_format" ] || fail "file format '$format', expected $want_format"
[ "$arch" = "$want_arch" ] || fail "architecture '$arch', expected $want_arch"
[ "$magic" = "$want_magic" ] || fail "optional header magic '$magic', expected $want_magic"
[ "$sub" = "$want_subsystem" ] || fail "subsystem '$sub', expected $want_subsystem"

dlls=$(sed -n 's/^[[:space:]]*DLL Name: *//p' <<<"$headers" | tr -d '\r')
[ -n "$dlls" ] || fail "no import table found"
while IFS= read -r dll; do
    [ -n "$dll" ] || continue
    lower=$(tr '[:upper:]' '[:lower:]' <<<"$dll")
    [[ " $(echo $ALLOWED) " == *" $lower "* ]] || fail "imports $dll, which is not a system DLL"
done <<<"$dlls"

echo "$exe: $format, $arch $magic, $sub, imports: $(echo $dlls)"
exit "$failed"
