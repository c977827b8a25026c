#pragma once

#include <cstdint>
#include <string>
#include <utility>

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
class TableColumn {
  public:
    TableColumn() = default;
    TableColumn(const TableColumn& other) { CopyFrom(other); }
    TableColumn& operator=(const TableColumn& other) {
        CopyFrom(other);
        return *this;
    }

    const std::string& GetTitle() const { return m_title; }
    void SetTitle(std::string title) { m_title = std::move(title); }
    // The title's measured size plus the margins, set when the table measures it.
    TableExtent GetTitleExtent() const { return m_titleExtent; }
    void SetTitleExtent(TableExtent extent) { m_titleExtent = extent; }
    uint32_t GetFlags() const { return m_flags; }
    void SetFlags(uint32_t flags) { m_flags = flags; }
    bool HasFlag(uint32_t flag) const { return (m_flags & flag) != 0; }
    int32_t GetWidth() const { return m_width; }
    void SetWidth(int32_t width) { m_width = width; }
    // Whether the width still grows with the cell texts.
    int GetAutoSize() const { return m_autoSize; }
    void SetAutoSize(int autoSize) { m_autoSize = autoSize; }
    // The smallest and largest row of the column's order, -1 when it is empty.
    int32_t GetSortHead() const { return m_sortHead; }
    int32_t GetSortTail() const { return m_sortTail; }
    void SetSortEnds(int32_t head, int32_t tail) {
        m_sortHead = head;
        m_sortTail = tail;
    }

  private:
    void CopyFrom(const TableColumn& other) {
        m_title = other.m_title;
        m_flags = other.m_flags;
        m_width = other.m_width;
        m_autoSize = other.m_autoSize;
        m_sortHead = other.m_sortHead;
        m_sortTail = other.m_sortTail;
    }

    std::string m_title;
    TableExtent m_titleExtent;
    uint32_t m_flags = 0;
    int32_t m_width = 40;
    int m_autoSize = 1;
    int32_t m_sortHead = -1;
    int32_t m_sortTail = -1;
};
