#!/usr/bin/env bash
# Boots the line-test guest under qemu (software emulation) and checks what it reports. com1..com3
# of the guest lead to reader-sim's pseudo-terminals (a Kavirex3 reader, a Kavirex(KRM) reader, a
# silent line), through emulated 16550 UARTs (ttyS1..ttyS3) or emulated FTDI USB-serial adapters
# in ports 1..3 of an xHCI bus (ttyUSB0..2); com4 is absent. The guest sees no device of this
# machine: its only serial ports are these.
#
# The guest runs one scan: qemu traces what the driver tells each device (UART register writes,
# or the adapters' control requests) with its time, and line-check reads the probes out of it;
# the guest checks the exclusive hold and the settings put back. On the adapters it goes on:
# com2's adapter is pulled out during its identifying probe, once in the 800 ms wait and once in
# the read, and plugged back in, with a scan after each. The guest asks for each on its console,
# and this script does it on qemu's monitor (device_del, device_add).
#
# usage: guest-run.sh --work DIR --guest DIR --reader-sim PATH --line-check PATH [--usb [--uhci]]
#                     [--slack MS]
#   --usb    the adapters instead of the UARTs
#   --uhci   the adapters on a UHCI bus (1 ms frames, as a full-speed device has them; behind a
#            hub, since UHCI has only two ports) instead of xHCI
#   --slack  how much longer than specified a wait may take (default 100 ms): the guest's CPU is
#            emulated in a host thread, and on a busy 2-core machine its waits were seen up to
#            12 ms long on the UARTs, 18 ms on the adapters (2 to 4 ms on a quiet machine); the
#            adapters add nothing of their own to it. Every wait is checked to be at least its
#            length exactly; the room above is for a machine loaded by other work.
set -uo pipefail

work= guest= sim= check= slack=100 usb= uhci=
while [ $# -gt 0 ]; do
    case $1 in
        --work) work=$2; shift 2 ;;
        --guest) guest=$2; shift 2 ;;
        --reader-sim) sim=$2; shift 2 ;;
        --line-check) check=$2; shift 2 ;;
        --slack) slack=$2; shift 2 ;;
        --usb) usb=1; shift ;;
        --uhci) usb=1 uhci=1; shift ;;
        *) echo "guest-run: unknown argument $1" >&2; exit 2 ;;
    esac
done
command -v qemu-system-x86_64 >/dev/null || { echo "guest-run: qemu-system-x86_64 is missing (Debian package qemu-system-x86)" >&2; exit 3; }
for file in "$guest/vmlinux" "$guest/initramfs.cpio" "$sim" "$check"; do
    [ -e "$file" ] || { echo "guest-run: $file is missing (build the tree)" >&2; exit 3; }
done

rm -rf "$work" && mkdir -p "$work" || exit 3
sim_pid= qemu_pid= monitor_pid=
cleanup() {
    for pid in $qemu_pid $monitor_pid $sim_pid; do
        kill -TERM "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
}
trap cleanup EXIT

# The KRM reader's reply is '?' and the byte of XOFF: a line in software flow control would take
# that byte for itself, and the reply would be one byte, no KRM.
"$sim" --ready "$work/sim.ready" --log "$work/sim.log" com1=kavirex3 'com2=krm:?\x13' com3=silent \
    </dev/null >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 500); do
    [ -s "$work/sim.ready" ] && break
    sleep 0.02
done
declare -A pty=()
while read -r port path; do pty[$port]=$path; done <"$work/sim.ready"
[ -n "${pty[com3]:-}" ] || { echo "guest-run: reader-sim did not get ready" >&2; cat "$work/sim.out" >&2; exit 3; }

# The console (ttyS0) and qemu's monitor are pipes: the guest's requests reach this script at
# once, and its commands qemu.
mkfifo "$work/console.in" "$work/console.out" "$work/monitor.in" "$work/monitor.out" || exit 3
exec 7<>"$work/console.in" 8<>"$work/console.out" 9<>"$work/monitor.in"
cat <>"$work/monitor.out" >"$work/monitor.log" &
monitor_pid=$!
machine=(-chardev "pipe,id=console,path=$work/console" -serial chardev:console -monitor "pipe:$work/monitor")
hub=
if [ -n "$uhci" ]; then
    machine+=(-device piix3-usb-uhci,id=usb -device usb-hub,bus=usb.0,port=1)
    hub=1.
elif [ -n "$usb" ]; then
    machine+=(-device qemu-xhci,id=usb)
fi
adapter() { echo "usb-serial,bus=usb.0,port=$hub$1,chardev=line$1,id=adapter$1"; }
for n in 1 2 3; do
    machine+=(-chardev "serial,id=line$n,path=${pty[com$n]}")
    if [ -n "$usb" ]; then
        machine+=(-device "$(adapter $n)")
    else
        machine+=(-serial "chardev:line$n")
    fi
done
if [ -n "$usb" ]; then
    machine+=(-trace 'usb_serial_*')
    mode=usb trace=--usb
else
    machine+=(-trace serial_write -trace serial_update_parameters)
    mode=uart trace=--qemu
fi

# cryptomgr.notests: the kernel's self-tests of its crypto algorithms, half a second of the
# emulated CPU's time, test nothing of ours.
start=$(date +%s%N)
timeout 90 qemu-system-x86_64 -nodefaults -no-user-config -machine pc -accel tcg -m 256 -smp 1 \
    -display none -no-reboot -kernel "$guest/vmlinux" -initrd "$guest/initramfs.cpio" \
    -append "console=ttyS0 quiet loglevel=3 panic=-1 cryptomgr.notests -- $mode" "${machine[@]}" \
    -msg timestamp=on -D "$work/trace.log" </dev/null >"$work/qemu.out" 2>&1 &
qemu_pid=$!
# A monitor command, done once the monitor prompts again.
monitor() {
    local prompts
    prompts=$(grep -o '(qemu)' "$work/monitor.log" | wc -l)
    echo "$1" >&9
    for _ in $(seq 500); do
        [ "$(grep -o '(qemu)' "$work/monitor.log" | wc -l)" -gt "$prompts" ] && return
        sleep 0.01
    done
}
# The console, a line at a time, until qemu ends; a request of the guest is done at once.
pending=
while :; do
    if IFS= read -r -t 0.5 text <&8; then
        text=${pending}${text%$'\r'} pending=
        printf '%s\n' "$text" >>"$work/console.log"
        case $text in
            "host: pull com"[1-3]) echo "device_del adapter${text#host: pull com}" >&9 ;;
            "host: plug com"[1-3]) echo "device_add $(adapter "${text#host: plug com}")" >&9 ;;
            # The trace so far is the scan's; what follows goes to a file of its own.
            "host: trace aside") monitor "logfile $work/trace-unplug.log" && echo go >&7 ;;
        esac
    else
        [ $? -gt 128 ] && pending+=$text  # the time ran out in the middle of a line
        kill -0 "$qemu_pid" 2>/dev/null || break
    fi
done
wait "$qemu_pid"
status=$? qemu_pid=
[ -n "$pending" ] && printf '%s\n' "$pending" >>"$work/console.log"
elapsed=$((($(date +%s%N) - start) / 1000000))
printf 'guest: qemu ended with status %d after %d.%03d s\n' "$status" $((elapsed / 1000)) $((elapsed % 1000))
grep -v '^\[' "$work/console.log" | sed 's/^/guest: /'
[ "$status" = 0 ] || { cat "$work/qemu.out" >&2; exit 1; }

# What the guest's program says.
fail=0
expect() {
    for line in "$@"; do
        grep -qxF "$line" "$work/console.log" || { echo "FAIL: the guest did not print \"$line\""; fail=1; }
    done
}
expect "com1 kavirex3" "com2 krm" "com3 none" "com4 none" "com3 held yes, second opener refused, open again yes"
for n in 1 2 3; do expect "com$n settings after close as before"; done
if [ -n "$usb" ]; then
    # com2 on the KRM reader's adapter, com3 on the Kavirex3 reader's, com1 and com4 absent.
    for scan in 1 3; do
        next=$((scan + 1)) when="800 ms wait"
        [ $scan = 3 ] && when=read
        # The pulled port is no reader, the scan goes on to com3 and com4, the wake probe finds
        # the line gone and drives nothing, and nothing of the adapter stays open.
        expect "scan $scan: com1 none" "scan $scan: com2 none" "scan $scan: com3 kavirex3" "scan $scan: com4 none" \
            "scan $scan: com2 opened refused" "scan $scan: com2 pulled during the $when: yes" \
            "scan $scan: com2's probe no longer than on a silent line: yes" \
            "scan $scan: adapter descriptors left open 0"
        # Plugged back in, the next scan finds the reader.
        expect "scan $next: com1 none" "scan $next: com2 krm" "scan $next: com3 kavirex3" "scan $next: com4 none" \
            "scan $next: com2 opened opened" "scan $next: adapter descriptors left open 0" \
            "scans $scan and $next: message boxes 0"
    done
fi
expect "guest done 0"

"$check" $trace "$work/trace.log" --home com1=2400 --home com2=4800 --home com3=19200 --slack "$slack" \
    com1=kavirex3 com2=krm com3=silent com4=absent || fail=1
exit $fail
