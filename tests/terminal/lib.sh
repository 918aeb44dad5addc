# Steps shared by the terminal tests (sourced): a throwaway Wine-style prefix, reader-sim on all
# four ports, the program in a detached tmux session of fixed size, keys in, screen out.
# Everything started here is ended on the way out, also when a check fails.
# Needs LESAMO (the program) and READER_SIM; SCREENSHOT_DIR and ANSI_TO_MVG are optional.

set -euo pipefail
export LC_ALL=C.UTF-8
: "${LESAMO:?path of the lesamo program}" "${READER_SIM:?path of reader-sim}"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/lesamo-terminal.XXXXXX")
PREFIX=$WORK/prefix
WINDOWS=$PREFIX/drive_c/windows
SOCKET=lesamo-$$
SIM_PID=
APP_UP=
RUNS=0
SESSION=
# A server of our own in our own folder, whatever tmux the caller runs in.
unset TMUX
export TMUX_TMPDIR=$WORK
mkdir -p "$PREFIX/dosdevices" "$WINDOWS"

cleanup() {
    local status=$?
    tmux -L "$SOCKET" kill-server 2>/dev/null || true
    # A program that outlives its terminal (it ignores SIGHUP) must not outlive the test.
    if [[ -f $WORK/app.pid ]]; then
        local pid
        pid=$(<"$WORK/app.pid")
        if [[ -n $pid && $(readlink "/proc/$pid/exe" 2>/dev/null) == "$(readlink -f "$LESAMO")" ]]; then
            kill -KILL "$pid" 2>/dev/null || true
        fi
    fi
    if [[ -n $SIM_PID ]]; then
        kill "$SIM_PID" 2>/dev/null || true
        wait "$SIM_PID" 2>/dev/null || true
    fi
    rm -rf "$WORK"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

fail() {
    echo "FAIL: $*" >&2
    if [[ -n $APP_UP ]] && tmux -L "$SOCKET" has-session -t "$SESSION" 2>/dev/null; then
        echo "--- screen ---" >&2
        screen >&2 || true
    fi
    if [[ -f $WORK/sim.log ]]; then
        echo "--- reader-sim ---" >&2
        tail -n 20 "$WORK/sim.log" >&2 || true
    fi
    exit 1
}

# start_sim com1=BEHAVIOUR com2=... : all four ports, so that no real device is ever opened.
start_sim() {
    [[ $# -eq 4 ]] || fail "start_sim needs all four ports"
    mkfifo "$WORK/sim.in"
    exec 7<>"$WORK/sim.in"                # keeps the fifo open: the simulator never sees its end
    "$READER_SIM" --link-dir "$PREFIX/dosdevices" --ready "$WORK/ready" --log "$WORK/sim.log" "$@" \
        <"$WORK/sim.in" &
    SIM_PID=$!
    wait_lines "$WORK/ready" 4
}

# sim_change com2=none : re-plugs a port of the running simulator.
sim_change() {
    local before
    before=$(wc -l <"$WORK/ready")
    echo "$1" >&7
    wait_lines "$WORK/ready" $((before + 1))
}

# wait_log_count TEXT N : until reader-sim's log has N lines holding TEXT.
wait_log_count() {
    local i
    for ((i = 0; i < 100; i++)); do
        (($(grep -c -- "$1" "$WORK/sim.log" || true) >= $2)) && return 0
        sleep 0.05
    done
    fail "reader-sim's log did not reach $2 lines of \"$1\""
}

wait_lines() {
    local file=$1 lines=$2 i
    for ((i = 0; i < 100; i++)); do
        if [[ -f $file ]] && (($(wc -l <"$file") >= lines)); then
            return 0
        fi
        sleep 0.05
    done
    fail "reader-sim did not report $lines port lines in $file"
}

# start_app [COLS ROWS [REDIRECTIONS [ENVIRONMENT [SHELL-PRELUDE]]]] : the program in a detached
# session of that size, its exit status to $WORK/status, its process id to $WORK/app.pid (exec
# keeps it). SHELL-PRELUDE runs before it in the session's shell (e.g. "trap '' HUP;").
start_app() {
    local cols=${1:-80} rows=${2:-24} redirect=${3:-} environment=${4:-} prelude=${5:-}
    rm -f "$WORK/app.pid"
    start_session "$cols" "$rows" \
        "$prelude sh -c 'echo \$\$ >\"$WORK/app.pid\" && exec \"\$@\"' sh env -u windir -u veskrexdir WINEPREFIX=\"$PREFIX\" LANG=C.UTF-8 LC_ALL=C.UTF-8 $environment \"$LESAMO\" $redirect"
}

# The program's process id, once it runs.
app_pid() {
    local i
    for ((i = 0; i < 100; i++)); do
        if [[ -s $WORK/app.pid ]]; then
            cat "$WORK/app.pid"
            return 0
        fi
        sleep 0.05
    done
    fail "the program did not start"
}

# start_session COLS ROWS COMMAND : COMMAND (a shell command line) in the detached session.
start_session() {
    cat >"$WORK/tmux.conf" <<'EOF'
set -g default-terminal tmux-256color
set -g status off
set -g history-limit 0
set -g remain-on-exit on
EOF
    # The terminal's settings before and after tell whether the program restored them. The
    # trap keeps this shell alive when Ctrl-C ends the program (the children get SIGINT's
    # default back).
    cat >"$WORK/run.sh" <<EOF
#!/bin/sh
trap 'true' INT
cd "$WORK"
stty -g >"$WORK/stty.before"
$3
status=\$?
stty -g >"$WORK/stty.after"
echo \$status >"$WORK/status"
EOF
    chmod +x "$WORK/run.sh"
    rm -f "$WORK/status"
    # A new session per run: the last one keeps its pane (and its server) until the end.
    RUNS=$((RUNS + 1))
    SESSION=run$RUNS
    tmux -L "$SOCKET" -f "$WORK/tmux.conf" new-session -d -x "$1" -y "$2" -s "$SESSION" "$WORK/run.sh"
    APP_UP=1
}

keys() {
    tmux -L "$SOCKET" send-keys -t "$SESSION" "$@"
}

screen() {
    tmux -L "$SOCKET" capture-pane -p -t "$SESSION"
}

resize() {
    tmux -L "$SOCKET" resize-window -t "$SESSION" -x "$1" -y "$2"
}

# wait_for TEXT [SECONDS] : until TEXT is on the screen.
wait_for() {
    local text=$1 tenths=$((${2:-10} * 10)) i
    for ((i = 0; i < tenths; i++)); do
        if screen 2>/dev/null | grep -qF -- "$text"; then
            return 0
        fi
        sleep 0.1
    done
    fail "\"$text\" did not appear"
}

# wait_gone TEXT [SECONDS] : until TEXT has left the screen.
wait_gone() {
    local text=$1 tenths=$((${2:-10} * 10)) i
    for ((i = 0; i < tenths; i++)); do
        if ! screen 2>/dev/null | grep -qF -- "$text"; then
            return 0
        fi
        sleep 0.1
    done
    fail "\"$text\" did not go away"
}

on_screen() {
    screen | grep -qF -- "$1"
}

# The main dialog, ready for keys: drawn, and not busy with a command.
wait_ready() {
    wait_for "F10: Menü" "${1:-10}"
}

# wait_exit EXPECTED : the program ended with status EXPECTED.
wait_exit() {
    local expected=$1 i
    for ((i = 0; i < 100; i++)); do
        [[ -s $WORK/status ]] && break
        sleep 0.05
    done
    [[ -s $WORK/status ]] || fail "the program did not end"
    local status
    status=$(<"$WORK/status")
    [[ $status == "$expected" ]] || fail "exit status $status, expected $expected"
    cmp -s "$WORK/stty.before" "$WORK/stty.after" ||
        fail "terminal settings not restored: $(cat "$WORK/stty.before") -> $(cat "$WORK/stty.after")"
    APP_UP=
}

# The search through the warning box, from a dialog whose focus is on "Leser suchen".
search() {
    keys "${1:-Enter}"
    wait_for "Achtung: Sollten Sie einen Kavirex(schwarz) haben,"
    keys Enter
    wait_gone "Achtung: Sollten Sie"
    wait_ready 20
}

# The lines inside the result box, one per line, without the frame.
result_lines() {
    screen | sed -n '/┌/,/└/p' | sed -e '1d' -e '$d' -e 's/^[^│]*│[^│]*│//' -e 's/[│↑↓].*$//' -e 's/ *$//' |
        sed '/^$/d'
}

no_files_written() {
    local files
    files=$(find "$PREFIX/drive_c" -type f | head -n 5)
    [[ -z $files ]] || fail "files were written: $files"
}

# expect_file NAME : the file's bytes, CR LF shown as "\r", equal standard input.
expect_file() {
    local actual
    [[ -f $WINDOWS/$1 ]] || fail "$1 was not written"
    actual=$(sed 's/\r$/\\r/' "$WINDOWS/$1")
    [[ $actual == "$(cat)" ]] || fail "$1 differs:"$'\n'"$actual"
    if grep -qv $'\r$' "$WINDOWS/$1"; then
        fail "$1 has a line without CR LF"
    fi
}

# screenshot NAME : the screen as text, with its colours, and as a PNG where it can be drawn.
screenshot() {
    [[ -n ${SCREENSHOT_DIR:-} ]] || return 0
    mkdir -p "$SCREENSHOT_DIR"
    tmux -L "$SOCKET" capture-pane -p -t "$SESSION" >"$SCREENSHOT_DIR/$1.txt"
    tmux -L "$SOCKET" capture-pane -e -N -p -t "$SESSION" >"$SCREENSHOT_DIR/$1.ansi"
    # The PNG needs ImageMagick and the DejaVu mono font (fonts-dejavu-core, which
    # ImageMagick's font set-up brings along); the text captures are kept either way.
    if [[ -n ${ANSI_TO_MVG:-} ]] && command -v convert >/dev/null &&
        [[ -f /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf ]]; then
        "$ANSI_TO_MVG" <"$SCREENSHOT_DIR/$1.ansi" >"$WORK/$1.mvg"
        convert "mvg:$WORK/$1.mvg" "$SCREENSHOT_DIR/$1.png" || fail "could not render $1.png"
    fi
}
