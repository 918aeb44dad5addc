// Windows-1252 text apart from the terminal: the code page to and from Unicode, and text
// split into the lines of a box or an edit box.
#include "ui/curses/Windows1252Text.h"

namespace lesamo::term {

namespace {

// Unicode for the bytes 0x80..0x9F of Windows-1252; 0 where the code page has no character.
constexpr wchar_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

}  // namespace

wchar_t FromWindows1252(unsigned char byte)
{
    if (byte < 0x20 || byte == 0x7F)
        return L'?';  // control characters would move the cursor
    if (byte >= 0x80 && byte < 0xA0)
        return kWindows1252High[byte - 0x80] != 0 ? kWindows1252High[byte - 0x80] : L'?';
    return static_cast<wchar_t>(byte);  // the rest of the code page is Latin-1
}

char ToWindows1252(wchar_t ch)
{
    if (ch > 0 && ch < 0x100 && (ch < 0x80 || ch >= 0xA0))
        return static_cast<char>(ch);
    for (int i = 0; i < 32; ++i) {
        if (kWindows1252High[i] == ch && ch != 0)
            return static_cast<char>(0x80 + i);
    }
    return 0;
}

std::vector<std::string> WrapText(std::string_view text, int width)
{
    std::vector<std::string> lines;
    if (width <= 0)
        return lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view paragraph = text.substr(start, end - start);
        if (!paragraph.empty() && paragraph.back() == '\r')
            paragraph.remove_suffix(1);
        do {
            std::size_t take = paragraph.size();
            if (take > static_cast<std::size_t>(width)) {
                const std::size_t blank = paragraph.rfind(' ', static_cast<std::size_t>(width));
                take = blank != std::string_view::npos && blank > 0 ? blank : static_cast<std::size_t>(width);
            }
            std::string_view line = paragraph.substr(0, take);
            while (!line.empty() && line.back() == ' ')
                line.remove_suffix(1);
            lines.emplace_back(line);
            paragraph.remove_prefix(take);
            while (!paragraph.empty() && paragraph.front() == ' ')
                paragraph.remove_prefix(1);
        } while (!paragraph.empty());
        if (end == text.size())
            break;
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> EditLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

}  // namespace lesamo::term
