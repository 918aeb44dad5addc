#!/usr/bin/env bash
# A wine-run.sh driver: runs PROGRAM (line-scan.exe) once under Wine with the line shim
# preloaded, then checks the slots it prints and, with line-check, what Wine did to the
# pseudo-terminals: the same probes, patterns, waits and line settings as on a UART.
#
# usage: wine-lines.sh PROGRAM NATIVE_DIR [--slack MS]
#   NATIVE_DIR  tests/uart of the native build: shim/, line-check
#   --slack     how much longer than specified a wait may take (default 60 ms; seen up to 3.4 ms
#               on a busy 2-core machine, the rest is room for a loaded one)
set -uo pipefail
program=$1 native=$2 slack=60
[ "${3:-}" = --slack ] && slack=$4
work=$(dirname "$LESAMO_SIM_LOG")
for file in "$native/line-check" "$native/shim/lib/x86_64-linux-gnu/liblineshim.so"; do
    [ -e "$file" ] || { echo "wine-lines: $file is missing (build the native tree)" >&2; exit 3; }
done

ports=
while read -r port path; do ports+="$port=$path "; done <"$LESAMO_SIM_READY"
rm -f "$work/shim.log"
# $LIB is ld.so's own: lib/x86_64-linux-gnu or lib/i386-linux-gnu, as the loader is.
LD_PRELOAD="$native/shim/\$LIB/liblineshim.so" LESAMO_SHIM_PORTS=$ports LESAMO_SHIM_LOG=$work/shim.log \
    "$LESAMO_WINE" "$program" >"$work/scan.out" 2>"$work/scan.err"
status=$?
tr -d '\r' <"$work/scan.out" | sed 's/^/scan: /'
[ "$status" = 0 ] || { echo "FAIL: line-scan ended with status $status"; cat "$work/scan.err"; exit 1; }
[ -s "$work/shim.log" ] || { echo "FAIL: the shim logged nothing (was it loaded?)"; cat "$work/scan.err"; exit 1; }

fail=0
for slot in "com1 kavirex3" "com2 krm" "com3 none" "com4 none"; do
    grep -qxF "$slot" <(tr -d '\r' <"$work/scan.out") || { echo "FAIL: the scan did not find \"$slot\""; fail=1; }
done
"$native/line-check" --shim "$work/shim.log" --slack "$slack" com1=kavirex3 com2=krm com3=silent com4=absent || fail=1
exit $fail
