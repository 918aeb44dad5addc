// The line-end conversions that both file back ends share, so both platforms read and write
// the same bytes.
#include "config/TextFile.h"

namespace lesamo {

std::string TextFromDisk(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find('\0'));
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t start = 0; start < bytes.size();) {
        std::size_t pair = bytes.find("\r\n", start);
        if (pair == std::string_view::npos)
            pair = bytes.size();
        text.append(bytes, start, pair - start);
        if (pair == bytes.size())
            break;
        text += '\n';
        start = pair + 2;
    }
    return text;
}

std::string TextToDisk(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16 + 16);
    for (std::size_t start = 0; start < text.size();) {
        std::size_t lineFeed = text.find('\n', start);
        if (lineFeed == std::string_view::npos)
            lineFeed = text.size();
        bytes.append(text, start, lineFeed - start);
        if (lineFeed == text.size())
            break;
        bytes += "\r\n";
        start = lineFeed + 1;
    }
    return bytes;
}

}  // namespace lesamo
