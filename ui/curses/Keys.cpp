// Keys as the terminal front end reads them: one blocking read, decoded into the keys the
// windows know (Escape told apart from Alt+Space, a resize and Ctrl-L as a repaint).
#include "ui/curses/Keys.h"

#include <cerrno>

#include <curses.h>

namespace lesamo::term {

namespace {

// The key behind what get_wch returned: `kind` says whether `ch` is a character or a key code.
Key Decode(int kind, wint_t ch)
{
    if (kind == KEY_CODE_YES) {
        switch (ch) {
        case KEY_BTAB: return {KeyCode::BackTab};
        case KEY_ENTER: return {KeyCode::Enter};
        case KEY_UP: return {KeyCode::Up};
        case KEY_DOWN: return {KeyCode::Down};
        case KEY_LEFT: return {KeyCode::Left};
        case KEY_RIGHT: return {KeyCode::Right};
        case KEY_PPAGE: return {KeyCode::PageUp};
        case KEY_NPAGE: return {KeyCode::PageDown};
        case KEY_HOME: return {KeyCode::Home};
        case KEY_END: return {KeyCode::End};
        case KEY_F(1): return {KeyCode::F1};
        case KEY_F(10): return {KeyCode::F10};
        case KEY_RESIZE:
            // The terminal may have reflowed or cleared what curses believes is on it (a
            // resize while a scan blocked us): paint everything anew, not just the changes.
            clearok(curscr, TRUE);
            return {KeyCode::Resize};
        default: return {};
        }
    }
    switch (ch) {
    case L'\t': return {KeyCode::Tab};
    case L'\r':
    case L'\n': return {KeyCode::Enter};
    case L' ': return {KeyCode::Space};
    case 0xA0: return {KeyCode::AltSpace};  // a terminal that sets the eighth bit for Alt
    case 0x0C:                              // Ctrl-L: repaint a garbled screen
        clearok(curscr, TRUE);
        return {KeyCode::Resize};
    case 0x1B: {
        // Alt+Space arrives as Escape followed at once by a blank; Escape alone has no
        // follower within the escape delay that curses already waited.
        nodelay(stdscr, TRUE);
        wint_t next = 0;
        const int nextKind = get_wch(&next);
        nodelay(stdscr, FALSE);
        if (nextKind == ERR)
            return {KeyCode::Escape};
        if (nextKind == OK && next == L' ')
            return {KeyCode::AltSpace};
        return {};  // Alt with another key: not ours
    }
    default: return {KeyCode::Char, static_cast<wchar_t>(ch)};
    }
}

}  // namespace

bool ReadKey(Key& key)
{
    wint_t ch = 0;
    errno = 0;
    const int kind = get_wch(&ch);
    if (kind == ERR)
        return false;
    key = Decode(kind, ch);
    return true;
}

}  // namespace lesamo::term
