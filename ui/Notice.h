// The message-box seam: the writers report failures through it; each front end provides it
// (MessageBoxA on Windows, a modal box in the terminal) and tests record it.
#pragma once

#include <string>

namespace lesamo {

enum class NoticeIcon { Error, Exclamation };

struct Notice {
    virtual ~Notice() = default;
    /// Shows `text` in a modal box with an OK button, no owner window and the platform's
    /// default caption; returns when it is closed.
    virtual void Show(const std::string& text, NoticeIcon icon) = 0;
};

/// The front end's message box; defined by each front end.
Notice& SystemNotice();

}  // namespace lesamo
