#pragma once

#include <cstdint>
#include <string>

// Measured size of a text: width cx and height cy in pixels.
struct TableExtent {
    int32_t cx = 0;
    int32_t cy = 0;
};

// Column flags.
constexpr uint32_t COLUMN_RIGHT = 0x0002;
constexpr uint32_t COLUMN_CENTER = 0x0004;
constexpr uint32_t COLUMN_NUMERIC = 0x0008;
constexpr uint32_t COLUMN_SIGNED = 0x0010;
constexpr uint32_t COLUMN_HIDDEN = 0x2000;
constexpr uint32_t COLUMN_BUTTON = 0x4000;
constexpr uint32_t COLUMN_KEY = 0x8000;

// One column of a table. A copy takes everything but the measured title extent, which
// belongs to the column that was measured.
struct TableColumn {
    TableColumn() = default;
    TableColumn(const TableColumn& other) { CopyFrom(other); }
    TableColumn& operator=(const TableColumn& other) {
        CopyFrom(other);
        return *this;
    }

    std::string m_title;
    TableExtent m_titleExtent;
    uint32_t m_flags = 0;
    int32_t m_width = 40;
    int m_autoSize = 1;
    int32_t m_sortHead = -1; // smallest row of the column's order, -1 when empty
    int32_t m_sortTail = -1; // largest row of the column's order, -1 when empty

  private:
    void CopyFrom(const TableColumn& other) {
        m_title = other.m_title;
        m_flags = other.m_flags;
        m_width = other.m_width;
        m_autoSize = other.m_autoSize;
        m_sortHead = other.m_sortHead;
        m_sortTail = other.m_sortTail;
    }
};
