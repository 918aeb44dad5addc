// The curses session: start, restore (also from std::atexit and fatal signals), the modal
// window stack, and what a failed read of the keys means.
#include "ui/curses/Terminal.h"

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdlib>

#include <curses.h>
#include <signal.h>
#include <unistd.h>

#include "common/Texts.h"
#include "detect/SerialPort_posix.h"

namespace lesamo::term {

namespace {

SCREEN* g_screen = nullptr;

void RestoreAtExit()
{
    Terminal::Stop();
}

// The signals that end the program by default. Ctrl-C, a hang-up or a kill, a timer or a
// broken pipe, and also an abort or a crash, end it as the signal says (the same status, a
// core where one is due), with the terminal usable and no serial line left held.
constexpr int kEndingSignals[] = {SIGINT,    SIGTERM, SIGHUP,  SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGPIPE, SIGPROF,
                                  SIGVTALRM, SIGXCPU, SIGABRT, SIGSEGV, SIGBUS,  SIGFPE,  SIGILL,  SIGTRAP, SIGSYS};

// endwin is not async-signal-safe; the process is ending and only this thread draws. The
// handler runs with all ending signals blocked; one that still arrives inside it (a fault in
// endwin itself, abort() unblocking SIGABRT) skips the restore and takes its default action.
void OnFatalSignal(int signal)
{
    ReleaseHeldPortAfterSignal();
    static volatile std::sig_atomic_t restoring = 0;
    if (restoring == 0) {
        restoring = 1;
        if (g_screen != nullptr && !isendwin())
            endwin();
    }
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    ::sigaction(signal, &byDefault, nullptr);
    ::raise(signal);
    sigset_t own;
    sigemptyset(&own);
    sigaddset(&own, signal);
    ::sigprocmask(SIG_UNBLOCK, &own, nullptr);  // the raised signal is delivered here
}

void CatchEndingSignals()
{
    struct sigaction catching {};
    catching.sa_handler = OnFatalSignal;
    sigemptyset(&catching.sa_mask);
    for (int signal : kEndingSignals)
        sigaddset(&catching.sa_mask, signal);
    catching.sa_flags = SA_RESETHAND;
    for (int signal : kEndingSignals) {
        // A signal the caller ignores stays ignored (trap '' HUP); one that has a handler
        // already (a sanitizer's for the faults) keeps it.
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            ::sigaction(signal, &catching, nullptr);
    }
}

// The status when the terminal goes away under the program (a closed window or a killed
// terminal server while SIGHUP is ignored): 128 + SIGHUP, the status a shell reports when the
// hang-up itself ends the program. Never 1, which says the files were written; nothing was.
constexpr int kTerminalLostStatus = 128 + SIGHUP;

// Blocking reads that fail one after another without a key, a resize or a signal between
// them: the input is gone even where the line still looks like a terminal.
constexpr int kFailedReadsLimit = 50;

[[noreturn]] void EndWithoutTerminal()
{
    // A hung-up line refuses the writes and the settings: endwin restores what it still can.
    Terminal::Stop();
    std::exit(kTerminalLostStatus);
}

Terminal g_terminal;

}  // namespace

Point Window::Place(Size screen) const
{
    const Size extent = Extent();
    return {(screen.rows - extent.rows) / 2, (screen.cols - extent.cols) / 2};
}

bool Terminal::Start(std::string& error)
{
    std::setlocale(LC_ALL, "");
    // Installed before curses starts so that curses leaves these signals to us (its own
    // handler would end the process with status 1, the status of a successful OK).
    CatchEndingSignals();
    g_screen = newterm(nullptr, stdout, stdin);
    // A type without cursor addressing ("dumb", which editors' shell buffers and job runners
    // set) would show one garbled line while the keys still act, so that a blind Enter wrote
    // both files: it is refused as an unknown type is. Nothing has been drawn yet.
    // ("cup" is a string capability, so tigetstr answers with it or with nullptr, never -1.)
    if (g_screen == nullptr || tigetstr("cup") == nullptr) {
        Stop();
        const char* type = std::getenv("TERM");
        error = std::string(TXT_TERM_UNKNOWN_TYPE) + (type != nullptr ? type : "") + TXT_TERM_UNKNOWN_TYPE_END;
        return false;
    }
    set_term(g_screen);
    static const bool kRestoreRegistered = std::atexit(RestoreAtExit) == 0;
    (void)kRestoreRegistered;
    cbreak();
    noecho();
    nonl();
    intrflush(stdscr, FALSE);
    keypad(stdscr, TRUE);
    // Escape alone closes a dialog: wait only briefly for the rest of a key sequence.
    set_escdelay(25);
    curs_set(0);
    InitStyles();
    return true;
}

void Terminal::Stop() noexcept
{
    if (g_screen == nullptr)
        return;
    if (!isendwin())
        endwin();
    delscreen(g_screen);
    g_screen = nullptr;
}

Terminal* Terminal::Active()
{
    return g_screen != nullptr ? &g_terminal : nullptr;
}

void Terminal::RunModal(Window& window) noexcept
{
    m_stack.push_back(&window);
    while (!window.IsClosed()) {
        Redraw();
        const Key key = NextKey();
        if (key.code == KeyCode::None || key.code == KeyCode::Resize)
            continue;
        // Keys typed at the too-small message would act on a dialog nobody can see.
        if (!Fits())
            continue;
        window.OnKey(key);
    }
    m_stack.pop_back();
    // The window disappears at once, before its caller goes on (a scan may block for seconds).
    if (!m_stack.empty())
        Redraw();
}

bool Terminal::Fits() const
{
    for (const Window* window : m_stack) {
        const Size extent = window->Extent();
        if (extent.rows > LINES || extent.cols > COLS)
            return false;
    }
    return true;
}

void Terminal::Redraw() noexcept
{
    if (g_screen == nullptr)
        return;
    if (!Fits()) {
        Size need;
        for (const Window* window : m_stack) {
            need.rows = std::max(need.rows, window->Extent().rows);
            need.cols = std::max(need.cols, window->Extent().cols);
        }
        DrawTooSmall(need);
    } else {
        FillRect({0, 0}, {LINES, COLS}, Style::Desktop);
        for (std::size_t i = 0; i < m_stack.size(); ++i) {
            Window& window = *m_stack[i];
            window.SetOrigin(window.Place({LINES, COLS}));
            window.Draw(window.Origin(), i + 1 == m_stack.size());
        }
    }
    refresh();
}

Key Terminal::NextKey()
{
    Key key;
    if (ReadKey(key)) {
        m_failedReads = 0;
        return key;
    }
    // This read blocks: it fails when a signal interrupts it (EINTR) or when the terminal
    // is gone. After a hang-up the line reads as end of file or fails with EIO at once,
    // for ever, and is no terminal any more (tcgetattr fails): without this the modal
    // loop would spin. A SIGHUP that ends the program does not get here; an ignored one
    // (trap '' HUP) does.
    if (errno == EINTR) {
        m_failedReads = 0;
        return {};
    }
    if (errno == EIO || !isatty(STDIN_FILENO) || ++m_failedReads >= kFailedReadsLimit)
        EndWithoutTerminal();
    return {};
}

}  // namespace lesamo::term
