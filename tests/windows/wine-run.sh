#!/usr/bin/env bash
# Runs one Windows program (or a Linux driver that starts one) under Wine in a fresh prefix
# whose COM1..COM4 lead to reader-sim pseudo-terminals, then tears everything down again.
#
# usage: wine-run.sh --work DIR --reader-sim PATH [--arch win64|win32] [--template DIR]
#                    [--port comN=BEHAVIOUR]... [--xvfb] [--dpi N] [--timeout SECONDS]
#                    [--driver] [--] PROGRAM [ARGS...]
#
#   --arch A           win64 (default): PROGRAM is x86_64 and runs under wine64; win32: it is
#                      i686 and runs under the 32-bit loader, in the same kind of win64 prefix
#                      (as `wine lesamo.exe` runs it in a Linux user's default prefix)
#   --work DIR         this run's directory: wiped first; the prefix in it is removed at the
#                      end, the logs (reader-sim, Xvfb, wine) stay for a look after a failure
#   --reader-sim PATH  the native reader-sim executable
#   --template DIR     the prefix that is made once and copied for every run
#                      (default: DIR/../wine-template next to the work directory)
#   --port comN=B      reader-sim behaviour of a port; ports not named are "none"
#   --xvfb             start an Xvfb server on a free display and export DISPLAY for the run
#   --dpi N            the screen's scale in dots per inch (default 96), as Windows sets it:
#                      HKCU\Control Panel\Desktop, LogPixels (this Wine reads it at start)
#   --timeout S        the program is killed after S seconds (default 120): status 124
#   --driver           PROGRAM is a Linux program (say, a script with xdotool) that starts the
#                      Windows program itself with "$LESAMO_WINE" PROGRAM.exe
#
# The program sees (Windows programs through their environment, too):
#   WINEPREFIX, WINEARCH=win64, WINEDEBUG (default -all), LESAMO_WINE (the loader of --arch),
#   LESAMO_PORTS        "com1=B1 com2=B2 com3=B3 com4=B4", all four always named
#   LESAMO_PORT_COM1..4 each port's behaviour alone (texts may hold blanks)
#   LESAMO_SIM_LOG      reader-sim's event log (Unix path; Windows programs open "Z:" + path)
#   LESAMO_SIM_CONTROL  FIFO of reader-sim commands; change ports with sim-set.sh
#   LESAMO_SIM_DIR, LESAMO_SIM_READY, LESAMO_ABSENT_DIR   used by sim-set.sh
#   LESAMO_WINDIR       Unix path of the prefix's C:\windows
#   LESAMO_DRIVE_Q      Unix path of drive Q:, a directory of the run's own
#   DISPLAY             only with --xvfb; unset otherwise
#
# Exit status: the program's; 124 on time-out; 2 for wrong usage; 3 when the harness itself
# cannot run (no Wine, no reader-sim, the prefix cannot be made): never a silent skip; 77 with
# one line saying why when --arch win32 is asked of a kernel that runs no 32-bit code.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"

die_usage() { echo "wine-run: $*" >&2; exit 2; }
die() { echo "wine-run: error: $*" >&2; exit 3; }

work= sim= template= xvfb=0 timeout_s=120 driver=0 arch=win64 dpi=
declare -A ports=()
while [ $# -gt 0 ]; do
    case $1 in
        --work) work=$2; shift 2 ;;
        --reader-sim) sim=$2; shift 2 ;;
        --template) template=$2; shift 2 ;;
        --arch) arch=$2; shift 2 ;;
        --port)
            [[ $2 =~ ^com([1-4])=(.+)$ ]] || die_usage "--port wants comN=BEHAVIOUR (N 1..4), not '$2'"
            [ -z "${ports[${BASH_REMATCH[1]}]+x}" ] || die_usage "port com${BASH_REMATCH[1]} named twice"
            ports[${BASH_REMATCH[1]}]=${BASH_REMATCH[2]}
            shift 2 ;;
        --xvfb) xvfb=1; shift ;;
        --dpi)
            [[ $2 =~ ^[1-9][0-9]*$ ]] || die_usage "--dpi wants a number of dots per inch, not '$2'"
            dpi=$2; shift 2 ;;
        --timeout) timeout_s=$2; shift 2 ;;
        --driver) driver=1; shift ;;
        --) shift; break ;;
        -*) die_usage "unknown option $1" ;;
        *) break ;;
    esac
done
[ $# -ge 1 ] || die_usage "no program given"
[ -n "$work" ] || die_usage "--work is required"
[ -n "$sim" ] || die_usage "--reader-sim is required"
for n in 1 2 3 4; do
    [ -n "${ports[$n]+x}" ] || ports[$n]=none
done

# Fail loudly when the tools are missing: a Windows test that cannot run is a failed test. Only
# a machine that runs no 32-bit code at all skips the 32-bit runs, and says so.
if ! wine_select "$arch"; then
    [ "$WINE_SKIP" = 1 ] && { echo "wine-run: skipped: $WINE_WHY"; exit 77; }
    die "$WINE_WHY"
fi
[ -x "$sim" ] || die "reader-sim not found at '$sim' (build the native tree first, and point LESAMO_NATIVE_BUILD_DIR at it)"
if [ "$driver" = 0 ] && [ ! -f "$1" ]; then
    die "program '$1' not found"
fi

mkdir -p "$work" || die "cannot create $work"
work=$(cd "$work" && pwd)
template=${template:-$(dirname "$work")/wine-template}
prefix=$work/prefix

# A run killed before its cleanup may have left a server behind on this prefix.
if [ -d "$prefix" ]; then
    WINEPREFIX=$prefix timeout 10 "$WINESERVER" -k 2>/dev/null
fi
rm -rf "$work" && mkdir -p "$work/sim" "$work/absent" || die "cannot prepare $work"

export WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts, which need a display and minutes.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
unset DISPLAY WAYLAND_DISPLAY

sim_pid= xvfb_pid= program_pid= status=3
cleanup() {
    trap - EXIT INT TERM
    if [ -n "$program_pid" ]; then
        kill -TERM "$program_pid" 2>/dev/null    # timeout passes it on to the program
        wait "$program_pid" 2>/dev/null
    fi
    if [ -d "$prefix" ]; then
        WINEPREFIX=$prefix timeout 20 "$WINESERVER" -k 2>/dev/null
        WINEPREFIX=$prefix timeout 20 "$WINESERVER" -w 2>/dev/null
    fi
    if [ -n "$sim_pid" ]; then
        kill -TERM "$sim_pid" 2>/dev/null
        wait "$sim_pid" 2>/dev/null
    fi
    if [ -n "$xvfb_pid" ]; then
        kill -TERM "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    exec 9>&-
    rm -rf "$prefix"
    if [ "$status" != 0 ]; then
        echo "wine-run: status $status; logs in $work" >&2
        if [ -s "$work/sim.log" ]; then
            echo "--- last lines of reader-sim's log ---" >&2
            tail -n 25 "$work/sim.log" >&2
        fi
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'status=130; exit' INT
trap 'status=143; exit' TERM

"$here/wine-template.sh" "$template" "$arch" || die "the template prefix $template could not be made"

# The prefix: the template's DLL and font folders as hard links (never written), the rest as copies,
# so a program that rewrites a file in place (win.ini, the registry) leaves the template alone.
mkdir -p "$prefix" && cp -al "$template/prefix/." "$prefix/" || die "cannot link $template/prefix"
(cd "$template/prefix" && find . -type f ! -path './drive_c/windows/system32/*' \
    ! -path './drive_c/windows/syswow64/*' ! -path './drive_c/windows/winsxs/*' \
    ! -path './drive_c/windows/Fonts/*' -print0 |
    xargs -0 -r cp -a --parents --remove-destination -t "$prefix") || die "cannot copy $template/prefix"
# The mount manager makes the comN links anew from the registry; no old one may stay.
rm -f "$prefix"/dosdevices/com*
# A drive of the run's own (Q:), for tests that write to the root of the current drive: Z: is
# this machine's / and must never be written to.
mkdir -p "$work/drive-q" && ln -sfn "$work/drive-q" "$prefix/dosdevices/q:" || die "cannot map drive Q:"

# reader-sim: commands come through a FIFO that this script holds open, so writers never block
# and the simulator never sees the end of its input.
mkfifo "$work/sim.control" || die "cannot make $work/sim.control"
exec 9<>"$work/sim.control"
sim_args=()
for n in 1 2 3 4; do
    sim_args+=("com$n=${ports[$n]}")
done
"$sim" --link-dir "$work/sim" --ready "$work/sim.ready" --log "$work/sim.log" "${sim_args[@]}" \
    <&9 >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 500); do
    [ -s "$work/sim.ready" ] && break
    kill -0 "$sim_pid" 2>/dev/null || { cat "$work/sim.out" >&2; die "reader-sim ended at start"; }
    sleep 0.02
done
[ -s "$work/sim.ready" ] || die "reader-sim did not get ready within 10 s"
# A COM port whose Unix path does not exist still opens under Wine (the mount manager's stand-in
# device, on which every comm call fails); a directory cannot be opened at all, which is what
# a missing port must look like.
for n in 1 2 3 4; do
    if [ "${ports[$n]}" = none ]; then
        ln -sfn "$work/absent" "$work/sim/.com$n.new" &&
            mv -Tf "$work/sim/.com$n.new" "$work/sim/com$n" || die "cannot link $work/sim/com$n"
    fi
done

# All four COM ports explicitly, so the mount manager never hands this machine's /dev/ttyS*
# to com1..com4.
reg_path() { printf '%s' "$1" | sed -e 's/\\/\\\\/g' -e 's/"/\\"/g'; }
{
    awk '/^\[Software\\\\Wine\\\\Ports\]/ { skip = 1; next } skip && /^\[/ { skip = 0 } !skip' \
        "$prefix/system.reg"
    printf '\n[Software\\\\Wine\\\\Ports] 0\n'
    for n in 1 2 3 4; do
        printf '"COM%s"="%s"\n' "$n" "$(reg_path "$work/sim/com$n")"
    done
} >"$prefix/system.reg.new" && mv "$prefix/system.reg.new" "$prefix/system.reg" ||
    die "cannot write the port mapping"

if [ -n "$dpi" ]; then
    printf '\n[Control Panel\\\\Desktop] 0\n"LogPixels"=dword:%08x\n' "$dpi" >>"$prefix/user.reg" ||
        die "cannot set the scale"
fi

if [ "$xvfb" = 1 ]; then
    command -v Xvfb >/dev/null || die "Xvfb is missing (Debian package xvfb)"
    # -displayfd: the server picks a free display number itself and writes it when ready.
    Xvfb -displayfd 8 -nolisten tcp -screen 0 1280x1024x24 8>"$work/xvfb.display" 9>&- \
        2>"$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 500); do
        [ -s "$work/xvfb.display" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || die "Xvfb ended at start (see $work/xvfb.log)"
        sleep 0.02
    done
    display=$(head -n 1 "$work/xvfb.display")
    [ -n "$display" ] || die "Xvfb did not report a display within 10 s"
    export DISPLAY=:$display
fi

export WINEPREFIX=$prefix
# Start Wine here, so that its mount manager has made the comN links before the program runs.
timeout 60 "$WINE64" wineboot >"$work/wineboot.log" 2>&1 9>&- ||
    { cat "$work/wineboot.log" >&2; die "wine64 cannot run here (wineboot failed)"; }
for n in 1 2 3 4; do
    target=$(readlink "$prefix/dosdevices/com$n")
    [ "$target" = "$work/sim/com$n" ] ||
        die "Wine mapped com$n to '${target:-nothing}' instead of $work/sim/com$n; not running"
done

export LESAMO_WINE=$WINE LESAMO_WINDIR=$prefix/drive_c/windows LESAMO_DRIVE_Q=$work/drive-q
export LESAMO_PORTS="com1=${ports[1]} com2=${ports[2]} com3=${ports[3]} com4=${ports[4]}"
export LESAMO_PORT_COM1=${ports[1]} LESAMO_PORT_COM2=${ports[2]}
export LESAMO_PORT_COM3=${ports[3]} LESAMO_PORT_COM4=${ports[4]}
export LESAMO_SIM_LOG=$work/sim.log LESAMO_SIM_CONTROL=$work/sim.control
export LESAMO_SIM_READY=$work/sim.ready LESAMO_SIM_DIR=$work/sim LESAMO_ABSENT_DIR=$work/absent

# In the background, so that a TERM from ctest reaches the trap at once rather than after the
# program; stdin stays the caller's.
if [ "$driver" = 1 ]; then
    timeout -k 5 "$timeout_s" "$@" 0<&0 9>&- &
else
    timeout -k 5 "$timeout_s" "$WINE" "$@" 0<&0 9>&- &
fi
program_pid=$!
wait "$program_pid"
status=$?
program_pid=
[ "$status" = 124 ] && echo "wine-run: '$1' killed after ${timeout_s} s" >&2
exit "$status"
