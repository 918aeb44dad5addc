// Windows-1252 text as the terminal front end handles it, apart from the terminal: the code
// page to and from Unicode, and text split into lines (wrapped, or an edit box's). No curses
// here, so it is unit-tested.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lesamo::term {

/// The Unicode character a Windows-1252 byte stands for; '?' for a control character (it
/// would move the cursor) and for the five bytes the code page leaves undefined.
wchar_t FromWindows1252(unsigned char byte);

/// The Windows-1252 character for a typed character, 0 when it has none.
char ToWindows1252(wchar_t ch);

/// The Windows-1252 text split into lines of at most `width` cells, breaking at blanks where
/// it can; "\r\n" and "\n" end a line.
std::vector<std::string> WrapText(std::string_view text, int width);

/// The lines of an edit box's text: "\r\n" ends a line; a final line break opens no further
/// line. Lines are not wrapped.
std::vector<std::string> EditLines(std::string_view text);

}  // namespace lesamo::term
