// Modal message boxes and popup menus of the terminal front end.
#pragma once

#include <string>
#include <vector>

#include "ui/Framework.h"
#include "ui/curses/Terminal.h"

namespace lesamo::term {

/// A message box with an icon, the wrapped text and one OK button. Enter, Space and Escape
/// close it, as they do a Windows message box with only an OK button.
class MessageWindow : public Window {
public:
    MessageWindow(const std::string& text, std::string caption, MessageIcon icon);
    Size Extent() const override;
    void Draw(Point origin, bool active) override;
    void OnKey(const Key& key) override;
    bool IsClosed() const override { return m_closed; }

private:
    std::string m_caption;
    MessageIcon m_icon;
    std::vector<std::string> m_lines;
    bool m_closed = false;
};

/// Shows `text` modally on the open terminal and returns IDOK once it is closed.
int ShowMessageWindow(const std::string& text, const std::string& caption, MessageIcon icon);

struct MenuEntry {
    std::string text;  // Windows-1252, '&' marks the access key; empty: separator
    unsigned id = 0;
};

/// A popup menu opened below the caption of `owner`. Up/Down choose, Enter or the access key
/// picks, Escape (or the key that opened it) closes it without a choice.
class MenuWindow : public Window {
public:
    MenuWindow(const std::vector<MenuEntry>& entries, const Window& owner);
    Size Extent() const override;
    Point Place(Size screen) const override;
    void Draw(Point origin, bool active) override;
    void OnKey(const Key& key) override;
    bool IsClosed() const override { return m_closed; }
    /// The id of the entry picked; 0 when the menu was closed without a choice.
    unsigned Chosen() const { return m_chosen; }

private:
    void Move(int step);

    const std::vector<MenuEntry>& m_entries;
    const Window& m_owner;
    std::size_t m_selected = 0;
    unsigned m_chosen = 0;
    bool m_closed = false;
};

}  // namespace lesamo::term
