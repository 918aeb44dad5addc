// The keys of the terminal front end, as the windows get them.
#pragma once

namespace lesamo::term {

enum class KeyCode {
    None,
    Char,
    Tab,
    BackTab,
    Enter,
    Escape,
    Space,
    Up,
    Down,
    Left,
    Right,
    PageUp,
    PageDown,
    Home,
    End,
    F1,
    F10,
    AltSpace,
    Resize,
};

struct Key {
    KeyCode code = KeyCode::None;
    wchar_t ch = 0;  // KeyCode::Char: the character typed
};

/// Waits for the next key and decodes it; a key the windows do not know comes back as
/// KeyCode::None, a resize or Ctrl-L as KeyCode::Resize with the whole screen to be painted
/// anew. Returns false when the read failed; errno says why (EINTR: a signal came).
bool ReadKey(Key& key);

}  // namespace lesamo::term
