#!/usr/bin/env bash
# Changes reader-sim ports while a program runs under wine-run.sh (plug a reader in, unplug
# it) and returns once the new device is in place.
#
# usage: sim-set.sh comN=BEHAVIOUR...      (inside wine-run.sh: it sets the LESAMO_SIM_* vars)
set -uo pipefail

for var in LESAMO_SIM_CONTROL LESAMO_SIM_READY LESAMO_SIM_DIR LESAMO_ABSENT_DIR; do
    [ -n "${!var:-}" ] || { echo "sim-set: $var is not set (run under wine-run.sh)" >&2; exit 2; }
done
[ $# -ge 1 ] || { echo "usage: sim-set.sh comN=BEHAVIOUR..." >&2; exit 2; }

for assignment in "$@"; do
    [[ $assignment =~ ^(com[1-4])=(.+)$ ]] || { echo "sim-set: not comN=BEHAVIOUR: $assignment" >&2; exit 2; }
    port=${BASH_REMATCH[1]} behaviour=${BASH_REMATCH[2]}
    before=$(wc -l <"$LESAMO_SIM_READY")
    printf '%s\n' "$assignment" >"$LESAMO_SIM_CONTROL"
    # reader-sim adds a line "comN PATH" to the ready file once the new device is plugged in.
    done_=0
    for _ in $(seq 250); do
        if [ "$(wc -l <"$LESAMO_SIM_READY")" -gt "$before" ] &&
            tail -n +"$((before + 1))" "$LESAMO_SIM_READY" | grep -q "^$port "; then
            done_=1
            break
        fi
        sleep 0.02
    done
    [ "$done_" = 1 ] || { echo "sim-set: reader-sim did not take $assignment within 5 s" >&2; exit 1; }
    # As in wine-run.sh: under Wine only a directory makes a COM port fail to open.
    if [ "$behaviour" = none ]; then
        ln -sfn "$LESAMO_ABSENT_DIR" "$LESAMO_SIM_DIR/.$port.new" &&
            mv -Tf "$LESAMO_SIM_DIR/.$port.new" "$LESAMO_SIM_DIR/$port" || exit 1
    fi
done
