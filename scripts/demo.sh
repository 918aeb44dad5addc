#!/usr/bin/env bash
# The terminal program against two simulated readers, in a throwaway Wine-style prefix:
# a Kavirex3 reader on com1, a Kavirex(KRM) reader on com3, nothing on com2 and com4 (all four
# ports are mapped, so no real serial device is ever opened). Afterwards it shows the two files
# that OK wrote. Run by `make demo` after the native build; LESAMO_BUILD_DIR overrides where
# the programs are taken from.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${LESAMO_BUILD_DIR:-$repo/build/native}
lesamo=$build/lesamo
sim=$build/lesamo-reader-sim

if [[ ! -t 0 || ! -t 1 ]]; then
    echo "demo: this demo is interactive and needs a terminal (run 'make demo' in a terminal window)" >&2
    exit 2
fi
for program in "$lesamo" "$sim"; do
    if [[ ! -x $program ]]; then
        echo "demo: $program is missing: build first (make demo builds it)" >&2
        exit 2
    fi
done

prefix=$(mktemp -d "${TMPDIR:-/tmp}/lesamo-demo.XXXXXX")
mkdir -p "$prefix/dosdevices" "$prefix/drive_c/windows"
sim_pid=
stop_sim() {
    if [[ -n $sim_pid ]]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
        sim_pid=
    fi
}
trap stop_sim EXIT

# The simulator keeps its standard input open for port changes; it gets an empty one here.
"$sim" --link-dir "$prefix/dosdevices" --ready "$prefix/ports" --log "$prefix/lesamo-reader-sim.log" \
    com1=kavirex3 com2=none com3=krm com4=none </dev/null &
sim_pid=$!
for _ in $(seq 100); do
    [[ -f $prefix/ports ]] && (($(wc -l <"$prefix/ports") >= 4)) && break
    kill -0 "$sim_pid" 2>/dev/null || { echo "demo: lesamo-reader-sim did not start (see $prefix/lesamo-reader-sim.log)" >&2; exit 1; }
    sleep 0.05
done

cat <<EOF
Lesamo demo
  Wine-style prefix:  $prefix
  Simulated readers:  com1 Kavirex3, com3 Kavirex(KRM); com2 and com4 lead nowhere

In the dialog: Tab/Shift-Tab move between the buttons, Enter or Space presses one.
  "Leser suchen"  search (confirm the warning with Enter; the search takes about 4 s)
  "OK"            write icchscr.ini and hbcikrnl.ini into the prefix and end
  "Abbrechen"     end without writing (also Escape); F10 opens the system menu (About box)

EOF
read -r -p "Press Enter to start the dialog... " _

status=0
env -u windir -u veskrexdir WINEPREFIX="$prefix" "$lesamo" || status=$?
stop_sim

windows=$prefix/drive_c/windows
echo
case $status in
1)
    echo "OK pressed: lesamo ended with status 1 and wrote into $windows:"
    for file in icchscr.ini hbcikrnl.ini; do
        echo
        echo "== $windows/$file (line ends shown: ^M\$ is CR LF)"
        if [[ -f $windows/$file ]]; then
            cat -A "$windows/$file"
        else
            echo "(not written)"
        fi
    done
    ;;
0)
    echo "Cancelled: lesamo ended with status 0 and wrote nothing ($(find "$windows" -type f | wc -l) files in $windows)."
    ;;
*)
    echo "lesamo ended with status $status."
    ;;
esac
echo
echo "The prefix stays for a look: $prefix (remove it with: rm -rf '$prefix')"
