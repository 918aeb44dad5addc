// The terminal session behind the curses front end: start and restore, the stack of modal
// windows (dialogs, message boxes, menus) that gets the keys.
#pragma once

#include <string>
#include <vector>

#include "ui/curses/Drawing.h"
#include "ui/curses/Keys.h"

namespace lesamo::term {

/// One window on the stack. The terminal draws the stack bottom-up and gives the keys to the
/// window on top; a window on top runs until it reports itself closed.
class Window {
public:
    virtual ~Window() = default;
    /// Rows and columns the window takes, frame included.
    virtual Size Extent() const = 0;
    /// Where the window goes on a screen of `screen` cells; centred by default.
    virtual Point Place(Size screen) const;
    /// Draws the window at `origin`; `active`: the window has the keyboard.
    virtual void Draw(Point origin, bool active) = 0;
    virtual void OnKey(const Key& key) = 0;
    virtual bool IsClosed() const = 0;

    /// Where the window was last drawn.
    Point Origin() const { return m_origin; }
    void SetOrigin(Point origin) { m_origin = origin; }

private:
    Point m_origin;
};

/// The curses session. There is at most one, opened by main and restored at any exit.
class Terminal {
public:
    /// Opens the session on standard input and output; on failure returns false and says why
    /// in `error` (one line, no terminal state changed).
    static bool Start(std::string& error);
    /// Restores the terminal; also runs from std::atexit, so std::exit leaves a sane terminal.
    static void Stop() noexcept;
    /// The open session, nullptr when there is none.
    static Terminal* Active();

    /// Puts `window` on top and hands it the keys until it is closed, then takes it off.
    /// When the terminal goes away meanwhile, the program ends here (see NextKey).
    void RunModal(Window& window) noexcept;
    /// Draws the whole stack (or the too-small message) and updates the screen.
    void Redraw() noexcept;

private:
    /// The next key; KeyCode::None after a failed read. Ends the program when the terminal
    /// is gone.
    Key NextKey();
    bool Fits() const;

    std::vector<Window*> m_stack;
    int m_failedReads = 0;  // blocking reads failed in a row (the terminal may be gone)
};

}  // namespace lesamo::term
