// The DLGTEMPLATEEX reader: a header, then items aligned to four bytes, strings in UTF-16.
#include "DialogTemplate.h"

#include <cstring>

namespace lesamo::driver {
namespace {

class Reader {
public:
    Reader(const void* data, std::size_t size) : m_data(static_cast<const std::uint8_t*>(data)), m_size(size) {}
    bool ok() const { return m_ok; }
    template <typename T>
    T Get()
    {
        T value{};
        if (m_pos + sizeof(T) > m_size) {
            m_ok = false;
            return value;
        }
        std::memcpy(&value, m_data + m_pos, sizeof(T));
        m_pos += sizeof(T);
        return value;
    }
    std::u16string String()
    {
        std::u16string text;
        for (char16_t c = Get<char16_t>(); m_ok && c != 0; c = Get<char16_t>())
            text.push_back(c);
        return text;
    }
    // sz_Or_Ord: nothing, an ordinal behind 0xFFFF, or a string.
    void StringOrOrdinal(std::u16string& text, std::uint16_t& ordinal)
    {
        const std::uint16_t first = Get<std::uint16_t>();
        if (first == 0xFFFF) {
            ordinal = Get<std::uint16_t>();
        } else if (first != 0) {
            text.push_back(static_cast<char16_t>(first));
            text += String();
        }
    }
    void AlignTo4() { m_pos = (m_pos + 3) & ~static_cast<std::size_t>(3); }
    void Skip(std::size_t n)
    {
        m_pos += n;
        m_ok = m_ok && m_pos <= m_size;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

}  // namespace

bool ParseDialogTemplate(const void* data, std::size_t size, DialogTemplate& out)
{
    Reader in(data, size);
    if (in.Get<std::uint16_t>() != 1 || in.Get<std::uint16_t>() != 0xFFFF)
        return false;
    in.Get<std::uint32_t>();  // help id
    out.exStyle = in.Get<std::uint32_t>();
    out.style = in.Get<std::uint32_t>();
    const int count = in.Get<std::uint16_t>();
    out.x = in.Get<std::int16_t>();
    out.y = in.Get<std::int16_t>();
    out.cx = in.Get<std::int16_t>();
    out.cy = in.Get<std::int16_t>();
    std::u16string ignored;
    std::uint16_t ordinal = 0;
    in.StringOrOrdinal(ignored, ordinal);  // menu
    in.StringOrOrdinal(ignored, ordinal);  // window class
    out.title = in.String();
    if (out.style & 0x40) {  // DS_SETFONT
        out.pointSize = in.Get<std::uint16_t>();
        in.Get<std::uint16_t>();  // weight
        in.Get<std::uint8_t>();   // italic
        in.Get<std::uint8_t>();   // character set
        out.typeface = in.String();
    }
    for (int i = 0; i < count && in.ok(); ++i) {
        in.AlignTo4();
        TemplateItem item;
        in.Get<std::uint32_t>();  // help id
        item.exStyle = in.Get<std::uint32_t>();
        item.style = in.Get<std::uint32_t>();
        item.x = in.Get<std::int16_t>();
        item.y = in.Get<std::int16_t>();
        item.cx = in.Get<std::int16_t>();
        item.cy = in.Get<std::int16_t>();
        item.id = in.Get<std::int32_t>();
        in.StringOrOrdinal(item.className, item.classAtom);
        in.StringOrOrdinal(item.title, item.titleOrdinal);
        in.Skip(in.Get<std::uint16_t>());  // creation data
        out.items.push_back(item);
    }
    return in.ok();
}

}  // namespace lesamo::driver
