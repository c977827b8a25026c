// Text measuring without shaping: the advance widths of the ASCII characters of one font,
// asked of the device context once each, added up for a text. GDI measures text the same
// way (advances, no kerning). A text with other bytes (UTF-8) is measured whole.
#pragma once

#include "platform/core/win32.h"
#include "table/table_column.h"

#include <array>
#include <cstddef>
#include <functional>

class CharWidthCache {
  public:
    // Gives a device context with the cache's font selected; asked only when a width or
    // the height is not known yet.
    using DcSource = std::function<HDC()>;

    // Forgets every width, for a new font.
    void Reset();
    TableExtent Measure(const char* text, size_t length, const DcSource& source);

  private:
    bool Learn(const char* text, size_t length, const DcSource& source);

    std::array<int, 128> m_widths{}; // 0: not measured yet
    int m_height = -1;
};
