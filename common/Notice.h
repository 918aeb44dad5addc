// The message-box seam that the core owns: the writers report failures through it, the dialog
// shows its boxes with the same icons; each front end provides it (MessageBoxA on Windows, a
// modal box in the terminal) and tests record it.
#pragma once

#include <string>

namespace lesamo {

enum class MessageIcon { None, Exclamation, Error, Information };

struct Notice {
    virtual ~Notice() = default;
    /// Shows `text` in a modal box with an OK button, no owner window and the platform's
    /// default caption; returns when it is closed.
    virtual void Show(const std::string& text, MessageIcon icon) = 0;
};

/// The front end's message box; defined by each front end.
Notice& SystemNotice();

}  // namespace lesamo
