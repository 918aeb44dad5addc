#!/usr/bin/env bash
# Boots the line-test guest under qemu (software emulation) and checks its scan: com1..com3 of
# the guest are emulated 16550 UARTs (ttyS1..ttyS3) whose far ends are reader-sim's
# pseudo-terminals, a Kavirex3 reader, a Kavirex(KRM) reader and a silent line; com4 is absent.
# qemu traces every write to the UARTs' registers with its time; line-check reads the probes
# out of it. The guest sees no device of this machine: its only serial ports are these.
#
# usage: guest-run.sh --work DIR --guest DIR --reader-sim PATH --line-check PATH [--slack MS]
#   --slack  how much longer than specified a wait may take (default 25 ms): the guest's CPU is
#            emulated in a host thread, and on a busy 2-core machine its waits were seen up to
#            12 ms long (up to 3 ms on a quiet one)
set -uo pipefail

work= guest= sim= check= slack=25
while [ $# -gt 0 ]; do
    case $1 in
        --work) work=$2; shift 2 ;;
        --guest) guest=$2; shift 2 ;;
        --reader-sim) sim=$2; shift 2 ;;
        --line-check) check=$2; shift 2 ;;
        --slack) slack=$2; shift 2 ;;
        *) echo "guest-run: unknown argument $1" >&2; exit 2 ;;
    esac
done
command -v qemu-system-x86_64 >/dev/null || { echo "guest-run: qemu-system-x86_64 is missing (Debian package qemu-system-x86)" >&2; exit 3; }
for file in "$guest/vmlinuz" "$guest/initramfs.cpio" "$sim" "$check"; do
    [ -e "$file" ] || { echo "guest-run: $file is missing (build the tree)" >&2; exit 3; }
done

rm -rf "$work" && mkdir -p "$work" || exit 3
sim_pid=
cleanup() {
    [ -n "$sim_pid" ] && kill -TERM "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
}
trap cleanup EXIT

"$sim" --ready "$work/sim.ready" --log "$work/sim.log" com1=kavirex3 com2=krm com3=silent \
    </dev/null >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 500); do
    [ -s "$work/sim.ready" ] && break
    sleep 0.02
done
declare -A pty=()
while read -r port path; do pty[$port]=$path; done <"$work/sim.ready"
[ -n "${pty[com3]:-}" ] || { echo "guest-run: reader-sim did not get ready" >&2; cat "$work/sim.out" >&2; exit 3; }

# ttyS0 is the guest's console (a file here); ttyS1..ttyS3 lead to the pseudo-terminals.
serial=(-chardev "file,id=console,path=$work/console.log" -serial chardev:console)
for n in 1 2 3; do
    serial+=(-chardev "serial,id=line$n,path=${pty[com$n]}" -serial "chardev:line$n")
done
start=$(date +%s%N)
timeout 90 qemu-system-x86_64 -nodefaults -no-user-config -machine pc -accel tcg -m 256 -smp 1 \
    -display none -no-reboot -kernel "$guest/vmlinuz" -initrd "$guest/initramfs.cpio" \
    -append "console=ttyS0 quiet loglevel=3 panic=-1" "${serial[@]}" \
    -msg timestamp=on -trace serial_write -trace serial_update_parameters -D "$work/trace.log" \
    </dev/null >"$work/qemu.out" 2>&1
status=$?
elapsed=$((($(date +%s%N) - start) / 1000000))
printf 'guest: qemu ended with status %d after %d.%03d s\n' "$status" $((elapsed / 1000)) $((elapsed % 1000))
tr -d '\r' <"$work/console.log" | grep -v '^\[' | sed 's/^/guest: /'
[ "$status" = 0 ] || { cat "$work/qemu.out" >&2; exit 1; }

# What the guest's program says: the slots, and the driver's view after the probes.
fail=0
expect() {
    grep -qxF "$1" <(tr -d '\r' <"$work/console.log") || { echo "FAIL: the guest did not print \"$1\""; fail=1; }
}
expect "com1 kavirex3"
expect "com2 krm"
expect "com3 none"
expect "com4 none"
expect "com3 held yes, second opener refused, open again yes"
for n in 1 2 3; do expect "com$n settings after close as before"; done
expect "guest done 0"

"$check" --qemu "$work/trace.log" --home com1=2400 --home com2=4800 --home com3=19200 --slack "$slack" \
    com1=kavirex3 com2=krm com3=silent com4=absent || fail=1
exit $fail
