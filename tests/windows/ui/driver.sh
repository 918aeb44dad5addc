#!/usr/bin/env bash
# One whole-program scenario of lesamo.exe, run by wine-run.sh --driver: win-driver does the
# steps under Wine; a step "sim:comN=BEHAVIOUR" changes a reader-sim port in between while
# the program keeps running (the driver detaches, sim-set.sh replugs, a new driver attaches).
#
# usage: driver.sh WIN-DRIVER.EXE [DRIVER-OPTION VALUE]... -- PROGRAM.EXE STEP...
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
[ -n "${LESAMO_WINE:-}" ] || { echo "driver.sh: run under wine-run.sh --driver" >&2; exit 2; }
driver=$1
shift
options=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
    options+=("$1")
    shift
done
[ $# -ge 2 ] || { echo "usage: driver.sh WIN-DRIVER [OPTIONS] -- PROGRAM STEP..." >&2; exit 2; }
shift
program=$1
shift

steps=()
run_driver() {
    "$LESAMO_WINE" "$driver" "${options[@]}" "$program" "${steps[@]}"
}
for step in "$@"; do
    if [[ $step == shell-start ]]; then
        # Started by Wine's loader as a user starts it from a shell (CreateProcess refuses a
        # program deeper than MAX_PATH), then driven like any other.
        echo "-- $step"
        "$LESAMO_WINE" "$program" &
        steps+=(attach)
    elif [[ $step == sim:* ]]; then
        steps+=(detach)
        run_driver || exit
        echo "-- $step"
        "$here/sim-set.sh" "${step#sim:}" || exit
        steps=(attach)
    else
        steps+=("$step")
    fi
done
run_driver
