#include "table/char_width_cache.h"

#include <algorithm>

void CharWidthCache::Reset() {
    m_widths.fill(0);
    m_height = -1;
}

// Measures the characters of `text` not seen yet; false if the text has bytes beyond
// ASCII or no device context answers.
bool CharWidthCache::Learn(const char* text, size_t length, const DcSource& source) {
    HDC dc = NULL;
    for (size_t i = 0; i < length; i++) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c >= m_widths.size())
            return false;
        if (m_widths[c] != 0)
            continue;
        if (!dc && !(dc = source()))
            return false;
        INT width = 0;
        GetCharWidth32(dc, c, c, &width);
        m_widths[c] = width > 0 ? width : -1; // -1: measured, no advance
    }
    if (m_height >= 0)
        return true;
    TEXTMETRIC metrics{};
    if ((!dc && !(dc = source())) || !GetTextMetrics(dc, &metrics))
        return false;
    m_height = metrics.tmHeight;
    return true;
}

TableExtent CharWidthCache::Measure(const char* text, size_t length, const DcSource& source) {
    if (!Learn(text, length, source)) {
        SIZE size{};
        if (HDC dc = source())
            GetTextExtentPoint32(dc, text, static_cast<int>(length), &size);
        return TableExtent{size.cx, size.cy};
    }
    int32_t width = 0;
    for (size_t i = 0; i < length; i++)
        width += std::max(0, m_widths[static_cast<unsigned char>(text[i])]);
    return TableExtent{width, m_height};
}
