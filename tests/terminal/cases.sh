#!/usr/bin/env bash
# The terminal program as a user drives it: the real binary in tmux against reader-sim, one
# throwaway prefix per case. Usage: cases.sh CASE (see the functions below). LESAMO_VERSION is
# the version of the build under test (project(VERSION), passed in by terminal.cmake).
source "$(dirname "$0")/lib.sh"
: "${LESAMO_VERSION:?the version of the build under test}"

readonly WARNING="Achtung: Sollten Sie einen Kavirex(schwarz) haben,"
readonly KRM_LINE="Kavirex(KRM) Kartenleser gefunden an Anschluß: Com"
readonly REX3_LINE="Kavirex3 Kartenleser gefunden an Anschluß: Com"
readonly ABOUT_VERSION="Lesamo Version ${LESAMO_VERSION%.*.*}"

# From the start (focus on OK) to "Leser suchen": Tab passes Abbrechen.
to_search() {
    wait_ready
    keys Tab Tab
}

expect_results() {
    local actual
    actual=$(result_lines)
    [[ $actual == "$1" ]] || fail "result box shows:"$'\n'"$actual"$'\n'"expected:"$'\n'"$1"
}

# The dialog's texts as on Windows (the instruction whole, in the lines of its box) and its tab
# order: OK, Abbrechen, Leser suchen, the result box, and round again to OK.
case_dialog_texts_and_tab_order() {
    start_sim com1=none com2=none com3=none com4=none
    start_app
    wait_ready
    screen | head -n 1 | grep -qE '^ *\[-\] Lesamo +F10: Menü *$' || fail "caption row: $(screen | head -n 1)"
    local text
    text=$(screen | grep -E 'Bitte klicken|Kartenleser zu|weiteren Leser' | sed -e 's/^ *│ *//' -e 's/ *│ *$//' | paste -sd ' ')
    [[ $text == 'Bitte klicken Sie auf den Knopf "Leser suchen", um nach Ihrem Kartenleser zu suchen. Sollten Sie mehr als einen Leser haben, werden auch alle weiteren Leser am System gefunden' ]] ||
        fail "instruction reads: $text"
    for label in "[      OK      ]" "[  Abbrechen   ]" "[ Leser suchen ]"; do
        on_screen "$label" || fail "no button $label"
    done
    keys Tab Tab Tab Space              # the result box: Space presses nothing
    sleep 0.5
    on_screen "$WARNING" && fail "Space in the result box started a search"
    [[ -e $WORK/status ]] && fail "Space in the result box ended the program"
    keys Tab Space                      # round to OK
    wait_exit 1
}

# Enter on "Leser suchen" searches (it is not the default button's OK): the warning with the
# application's name as caption, then the result; nothing is written, the program goes on.
case_search_nothing_found() {
    start_sim com1=none com2=none com3=none com4=none
    start_app
    to_search
    keys Enter
    wait_for "$WARNING"
    screen | grep -qE '^ *lesamo *$|[│ ]lesamo ' || fail "the warning's caption is not the application's name"
    on_screen "stecken Sie bitte eine Chipkarte in den Leser." || fail "warning text incomplete"
    on_screen '/!\' || fail "no exclamation icon"
    keys Enter
    wait_gone "$WARNING"
    wait_ready
    expect_results "Keinen Kartenleser gefunden."
    no_files_written
    keys Escape
    wait_exit 0
    no_files_written
}

# Space presses the focused button too; one Kavirex3 reader gives exactly its line. Enter in
# the result box presses the default button, OK.
case_search_one_reader() {
    start_sim com1=none com2=kavirex3 com3=none com4=none
    start_app
    to_search
    search Space
    expect_results "${REX3_LINE}2"
    keys Tab Enter
    wait_exit 1
    grep -q '^ICC2=1,u,qz4rex3.dll,4,,com2,9600' "$WINDOWS/icchscr.ini" || fail "icchscr.ini: $(cat -A "$WINDOWS/icchscr.ini")"
}

# KRM on com1 and Kavirex3 on com3: two lines in port order; OK writes both files and ends
# with status 1.
case_two_readers_then_ok() {
    start_sim com1=krm com2=none com3=kavirex3 com4=none
    start_app
    to_search
    search
    expect_results "${KRM_LINE}1"$'\n'"${REX3_LINE}3"
    screenshot terminal-after-search
    no_files_written
    keys BTab BTab                       # back past Abbrechen to OK
    keys Enter
    wait_exit 1
    expect_file icchscr.ini <<'EOF'
[ICCMisc]\r
Timer=1\r
TElapse=1000\r
PCElapse=1000\r
\r
[ICCItemName]\r
ICC1=1,u,qz4hkrm.dll,4,,com1,9600\r
ICCP1=2,s,ICC1\r
\r
ICC3=1,u,qz4rex3.dll,4,,com3,9600\r
ICCP3=2,s,ICC3\r
\r
EOF
    local hbci=$WINDOWS/hbcikrnl.ini
    [[ -f $hbci ]] || fail "hbcikrnl.ini was not written"
    grep -qv $'\r$' "$hbci" && fail "hbcikrnl.ini has a line without CR LF"
    [[ $(head -n 3 "$hbci" | tr -d '\r') == $'[CardReader]\nVeskKavirex=Installed\nVeskKavirex3=Active' ]] ||
        fail "hbcikrnl.ini key lines:"$'\n'"$(cat -A "$hbci")"
    [[ $(tr -d '\r' <"$hbci" | awk '/^\[/{s=$0} /^Port=/{print s $0}') == $'[VeskKavirex]Port=1\n[VeskKavirex3]Port=3' ]] ||
        fail "hbcikrnl.ini sections:"$'\n'"$(cat -A "$hbci")"
}

# A reader found once stays listed after it is unplugged.
case_unplugged_reader_stays_listed() {
    start_sim com1=none com2=kavirex3 com3=none com4=none
    start_app
    to_search
    search
    expect_results "${REX3_LINE}2"
    sim_change com2=none
    search
    expect_results "${REX3_LINE}2"
    keys Escape
    wait_exit 0
    no_files_written
}

# More lines than the box shows: the box scrolls with the arrow keys when it has the focus.
case_result_box_scrolls() {
    start_sim com1=kavirex3 com2=kavirex3 com3=kavirex3 com4=none
    start_app
    to_search
    search
    expect_results "${REX3_LINE}1"$'\n'"${REX3_LINE}2"
    on_screen "↓" || fail "no sign of more lines below"
    keys Tab                            # into the result box
    keys Down
    wait_for "${REX3_LINE}3"
    expect_results "${REX3_LINE}2"$'\n'"${REX3_LINE}3"
    keys Home
    wait_for "${REX3_LINE}1"
    keys Escape
    wait_exit 0
}

# OK at once (the focus starts on OK): both files with no reader, status 1.
case_ok_without_search() {
    start_sim com1=none com2=none com3=none com4=none
    start_app
    wait_ready
    keys Enter
    wait_exit 1
    expect_file icchscr.ini <<'EOF'
[ICCMisc]\r
Timer=1\r
TElapse=1000\r
PCElapse=1000\r
\r
[ICCItemName]\r
EOF
    [[ -f $WINDOWS/hbcikrnl.ini ]] || fail "hbcikrnl.ini was not written"
}

# No Windows directory: each writer shows its failure in a box of its own; still status 1.
case_ok_write_failure() {
    start_sim com1=none com2=none com3=none com4=none
    rm -rf "$PREFIX/drive_c"
    start_app
    wait_ready
    keys Enter
    wait_for "Error: Create File: HBCIKRNL.INI"
    on_screen " Fehler " || fail "the failure box has no caption"
    on_screen "(X)" || fail "the failure box has no error icon"
    keys Enter
    wait_for "Error: Create File: ICCHSCR.INI"
    keys Enter
    wait_exit 1
    [[ ! -e $PREFIX/drive_c ]] || fail "something was created: $(find "$PREFIX/drive_c")"
}

# Every way to cancel ends with status 0 and writes nothing; the terminal is left as it was.
case_cancel_writes_nothing() {
    start_sim com1=none com2=none com3=none com4=none
    local way
    for way in escape abbrechen-enter abbrechen-space arrow-down-enter menu-close-f10 menu-close-alt-space ctrl-c; do
        start_app
        wait_ready
        case $way in
        escape) keys Escape ;;
        abbrechen-enter) keys Tab Enter ;;
        abbrechen-space) keys Tab Space ;;
        arrow-down-enter) keys Down Enter ;;
        ctrl-c) keys C-c ;;
        menu-close-f10) keys F10; wait_for "Schließen"; keys s ;;
        menu-close-alt-space) keys M-Space; wait_for "Schließen"; keys Enter ;;
        esac
        # Ctrl-C ends the program by its signal (128 + 2), never with OK's status 1.
        wait_exit "$([[ $way == ctrl-c ]] && echo 130 || echo 0)"
        no_files_written
    done
}

# Ctrl-C or a kill while a probe holds com1: the program gives the line back (its exclusive
# use too, which on a pseudo-terminal would outlive it), so every next run finds the reader.
case_signal_during_probe_frees_the_port() {
    start_sim com1=kavirex3 com2=none com3=none com4=none
    local way probes
    for way in ctrl-c term; do
        start_app
        to_search
        keys Enter
        wait_for "$WARNING"
        probes=$(grep -c 'com1 probe identify' "$WORK/sim.log" || true)
        keys Enter
        wait_log_count 'com1 probe identify' $((probes + 1))
        case $way in
        ctrl-c) keys C-c ;;
        term) kill -TERM "$(app_pid)" ;;
        esac
        wait_exit "$([[ $way == ctrl-c ]] && echo 130 || echo 143)"
    done
    start_app
    to_search
    search
    expect_results "${REX3_LINE}1"
    keys Escape
    wait_exit 0
}

# The About box from the system menu (F10 and Alt+Space); it closes with Enter, Escape and OK.
case_about_box() {
    start_sim com1=none com2=none com3=none com4=none
    start_app
    wait_ready
    # The notice line as the resources have it (common/Texts.h is UTF-8, like this screen).
    local notice
    notice=$(sed -n 's/^#define TXT_ABOUT_NOTICE *"\(.*\)"$/\1/p' "$(dirname "$0")/../../common/Texts.h")
    [[ -n $notice ]] || fail "no TXT_ABOUT_NOTICE in common/Texts.h"
    local open close
    for open in F10 M-Space; do
        for close in Enter Escape Space; do
            keys "$open"
            wait_for "Info über Lesamo..."
            keys o
            wait_for "$ABOUT_VERSION"
            on_screen "Info über Lesamo " || fail "About box caption"
            on_screen "$notice" || fail "About box notice line"
            keys "$close"
            wait_gone "$ABOUT_VERSION"
            wait_ready
        done
    done
    # The entry chosen with the arrow keys; Escape leaves the menu without a choice.
    keys F10
    wait_for "Info über Lesamo..."
    keys Escape
    wait_gone "Info über Lesamo..."
    keys M-Space
    wait_for "Info über Lesamo..."
    keys Up Enter
    wait_for "$ABOUT_VERSION"
    keys Enter
    wait_gone "$ABOUT_VERSION"
    wait_ready
    no_files_written
    keys Escape
    wait_exit 0
    no_files_written
}

# Without a terminal on standard input and output: one line on standard error, status 2.
case_not_a_terminal() {
    start_sim com1=none com2=none com3=none com4=none
    local status=0
    env -u windir WINEPREFIX="$PREFIX" "$LESAMO" </dev/null >"$WORK/out" 2>"$WORK/err" || status=$?
    [[ $status == 2 ]] || fail "status $status without a terminal"
    [[ $(wc -l <"$WORK/err") == 1 ]] || fail "standard error: $(cat "$WORK/err")"
    grep -q "terminal" "$WORK/err" || fail "standard error: $(cat "$WORK/err")"
    [[ ! -s $WORK/out ]] || fail "wrote to standard output"
    # Half a terminal is no terminal either; an unknown terminal type cannot be driven, nor one
    # without cursor addressing.
    local redirect
    for redirect in ">$WORK/out" "</dev/null" "TERM=no-such-terminal" "TERM=dumb"; do
        if [[ $redirect == TERM=* ]]; then
            start_app 80 24 "2>$WORK/err" "$redirect"
        else
            start_app 80 24 "$redirect 2>$WORK/err"
        fi
        wait_exit 2 || fail "$redirect"
        [[ $(wc -l <"$WORK/err") == 1 ]] || fail "standard error with $redirect: $(cat "$WORK/err")"
    done
    no_files_written
}

# Too small a terminal shows a message, takes no keys, and the dialog comes back when it grows;
# a box bigger than the dialog (the About box) needs its own size.
case_too_small_terminal() {
    start_sim com1=none com2=none com3=none com4=none
    start_app 40 10
    wait_for "zu klein"
    keys Enter                          # would be OK: must not act on the hidden dialog
    sleep 0.3
    [[ ! -e $WORK/status ]] || fail "the program reacted to a key at the too-small message"
    resize 80 24
    wait_ready
    resize 1 1
    sleep 0.2
    resize 60 24
    wait_for "zu klein"
    resize 76 24
    wait_ready
    keys F10
    wait_for "Info über Lesamo..."
    keys o
    wait_for "zu klein"                 # the About box is 80 columns wide
    resize 80 24
    wait_for "$ABOUT_VERSION"
    keys Escape
    wait_gone "$ABOUT_VERSION"
    wait_ready
    keys Escape
    wait_exit 0
    no_files_written
}

# Resizing while a scan blocks the dialog: the scan still finds its reader and the dialog
# redraws at the new size.
case_resize_during_scan() {
    start_sim com1=kavirex3 com2=none com3=none com4=none
    start_app
    to_search
    keys Enter
    wait_for "$WARNING"
    keys Enter
    wait_for "Bitte warten..."
    resize 1 1
    resize 30 5
    resize 120 40
    resize 80 24
    wait_ready 20
    expect_results "${REX3_LINE}1"
    keys Escape
    wait_exit 0
}

# The terminal goes away under the program (its window closed, the terminal server killed)
# while SIGHUP is ignored (trap '' HUP): the program sees its input gone and ends at once
# with the hang-up's status 129 (never OK's 1), writing nothing.
case_lost_terminal() {
    start_sim com1=none com2=none com3=none com4=none
    local way pid ignored i
    for way in kill-server kill-pane; do
        start_app 80 24 "" "" "trap '' HUP;"
        wait_ready
        pid=$(app_pid)
        # Else the hang-up itself would end the program, with the same status.
        ignored=$(awk '/^SigIgn:/ {print $2}' "/proc/$pid/status")
        ((0x$ignored & 1)) || fail "SIGHUP is not ignored (SigIgn $ignored)"
        case $way in
        kill-server) tmux -L "$SOCKET" kill-server ;;
        kill-pane) tmux -L "$SOCKET" kill-pane -t "$SESSION" ;;
        esac
        APP_UP=
        for ((i = 0; i < 50; i++)); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 "$pid" 2>/dev/null; then
            fail "$way: the program still runs 5 s after its terminal went away ($(grep '^State:' "/proc/$pid/status"))"
        fi
        for ((i = 0; i < 50; i++)); do
            [[ -s $WORK/status ]] && break
            sleep 0.1
        done
        [[ $(cat "$WORK/status" 2>/dev/null) == 129 ]] ||
            fail "$way: exit status $(cat "$WORK/status" 2>/dev/null), expected 129"
        no_files_written
    done
}

# An abort or a crash ends the program by its signal (128 + its number as the shell reports
# it), with the terminal's settings restored. The sanitizers handle the faults themselves.
case_crash_restores_terminal() {
    start_sim com1=none com2=none com3=none com4=none
    local signals=(ABRT SEGV BUS FPE) signal
    [[ -n ${LESAMO_SANITIZED:-} ]] && signals=(ABRT)
    for signal in "${signals[@]}"; do
        start_app 80 24 "" "" "ulimit -c 0;"
        wait_ready
        kill -s "$signal" "$(app_pid)"
        wait_exit $((128 + $(kill -l "$signal")))
        no_files_written
    done
}

# The README's first command: the demo script drives the program against its own simulated
# readers and shows the files OK wrote. Without a terminal it says so.
case_demo() {
    local demo
    demo=$(cd "$(dirname "$0")/../../scripts" && pwd)/demo.sh
    local status=0
    LESAMO_BUILD_DIR=$(dirname "$LESAMO") bash "$demo" </dev/null >"$WORK/out" 2>"$WORK/err" || status=$?
    [[ $status == 2 ]] || fail "demo without a terminal: status $status"
    grep -q "needs a terminal" "$WORK/err" || fail "demo without a terminal says: $(cat "$WORK/err")"

    start_session 100 70 "env -u windir -u veskrexdir TMPDIR=\"$WORK\" LESAMO_BUILD_DIR=\"$(dirname "$LESAMO")\" LANG=C.UTF-8 bash \"$demo\""
    wait_for "Press Enter to start"
    keys Enter
    to_search
    search
    expect_results "${REX3_LINE}1"$'\n'"${KRM_LINE}3"
    keys BTab BTab Enter
    wait_for "OK pressed: lesamo ended with status 1"
    wait_for "The prefix stays for a look"
    on_screen 'ICC1=1,u,qz4rex3.dll,4,,com1,9600^M$' || fail "demo does not show icchscr.ini"
    on_screen 'ICC3=1,u,qz4hkrm.dll,4,,com3,9600^M$' || fail "demo does not show icchscr.ini"
    on_screen 'VeskKavirex3=Active^M$' || fail "demo does not show hbcikrnl.ini"
    wait_exit 0
    local written
    written=$(find "$WORK" -path '*lesamo-demo.*/drive_c/windows/*' -name '*.ini' | wc -l)
    [[ $written == 2 ]] || fail "demo prefix holds $written files"
}

name=${1:?case name}
fn=case_${name//-/_}
declare -F "$fn" >/dev/null || { echo "no such case: $name" >&2; exit 2; }
"$fn"
