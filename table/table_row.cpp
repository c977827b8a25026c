#include "table/table_row.h"

#include <algorithm>
#include <cstring>

TableRow::TableRow(int cellCount) {
    Allocate(cellCount, static_cast<size_t>(cellCount));
    std::memset(m_block.get(), 0, HeaderBytes(cellCount, m_wide) + static_cast<size_t>(cellCount));
    for (int i = 0; i <= cellCount; ++i) {
        SetOffset(i, static_cast<uint32_t>(i));
    }
}

TableRow::TableRow(const TableRow& other) {
    *this = other;
}

TableRow& TableRow::operator=(const TableRow& other) {
    if (this == &other) {
        return *this;
    }
    m_keyHash = other.m_keyHash;
    m_lookupHash = other.m_lookupHash;
    m_data = other.m_data;
    m_height = other.m_height;
    m_autoSize = other.m_autoSize;
    m_key = other.m_key;
    m_tick = other.m_tick;
    m_cellCount = other.m_cellCount;
    m_wide = other.m_wide;
    m_block.reset();
    if (other.m_block) {
        size_t bytes = HeaderBytes(m_cellCount, m_wide) + other.TextBytes();
        m_block = std::make_unique_for_overwrite<char[]>(bytes);
        std::memcpy(m_block.get(), other.m_block.get(), bytes);
    }
    return *this;
}

namespace {

int16_t Cut(int32_t pixels) {
    return static_cast<int16_t>(std::clamp<int32_t>(pixels, INT16_MIN, INT16_MAX));
}

} // namespace

void TableRow::SetCellExtent(int column, TableExtent extent) {
    CellInfo& info = Info(column);
    info.cx = Cut(extent.cx);
    info.cy = Cut(extent.cy);
}

size_t TableRow::HeaderBytes(int count, bool wide) {
    return static_cast<size_t>(count) * sizeof(CellInfo) +
           (static_cast<size_t>(count) + 1) * (wide ? sizeof(uint32_t) : sizeof(uint16_t));
}

void TableRow::Allocate(int count, size_t textBytes) {
    m_cellCount = count;
    m_wide = IsWide(textBytes);
    m_block = std::make_unique_for_overwrite<char[]>(HeaderBytes(count, m_wide) + textBytes);
}

TableRow::CellInfo& TableRow::Info(int column) const {
    return reinterpret_cast<CellInfo*>(m_block.get())[column];
}

uint32_t TableRow::ReadOffset(const char* offsets, bool wide, int index) {
    if (wide) {
        uint32_t offset = 0;
        std::memcpy(&offset, offsets + index * sizeof(uint32_t), sizeof offset);
        return offset;
    }
    uint16_t offset = 0;
    std::memcpy(&offset, offsets + index * sizeof(uint16_t), sizeof offset);
    return offset;
}

uint32_t TableRow::Offset(int index) const {
    return ReadOffset(m_block.get() + m_cellCount * sizeof(CellInfo), m_wide, index);
}

void TableRow::SetOffset(int index, uint32_t offset) {
    char* offsets = m_block.get() + m_cellCount * sizeof(CellInfo);
    if (m_wide) {
        std::memcpy(offsets + index * sizeof(uint32_t), &offset, sizeof offset);
        return;
    }
    const auto narrow = static_cast<uint16_t>(offset);
    std::memcpy(offsets + index * sizeof(uint16_t), &narrow, sizeof narrow);
}

char* TableRow::Texts() const {
    return m_block.get() + HeaderBytes(m_cellCount, m_wide);
}

size_t TableRow::TextBytes() const {
    return m_block ? Offset(m_cellCount) : 0;
}

const char* TableRow::GetCellText(int column) const {
    return Texts() + Offset(column);
}

size_t TableRow::GetCellLength(int column) const {
    return Offset(column + 1) - Offset(column) - 1;
}

void TableRow::SetCellText(int column, const char* text, size_t length) {
    size_t oldLength = GetCellLength(column);
    if (length == oldLength) {
        std::memcpy(Texts() + Offset(column), text, length);
        return;
    }
    std::unique_ptr<char[]> old = std::move(m_block);
    const bool oldWide = m_wide;
    const char* oldOffsets = old.get() + m_cellCount * sizeof(CellInfo);
    const char* oldTexts = old.get() + HeaderBytes(m_cellCount, oldWide);
    size_t oldBytes = ReadOffset(oldOffsets, oldWide, m_cellCount);
    Allocate(m_cellCount, oldBytes - oldLength + length);
    std::memcpy(m_block.get(), old.get(), m_cellCount * sizeof(CellInfo));

    int32_t growth = static_cast<int32_t>(length) - static_cast<int32_t>(oldLength);
    for (int i = 0; i <= m_cellCount; ++i) {
        SetOffset(i, ReadOffset(oldOffsets, oldWide, i) + (i > column ? growth : 0));
    }
    char* texts = Texts();
    size_t before = ReadOffset(oldOffsets, oldWide, column);
    size_t afterStart = ReadOffset(oldOffsets, oldWide, column + 1);
    std::memcpy(texts, oldTexts, before);
    std::memcpy(texts + before, text, length);
    texts[before + length] = '\0';
    std::memcpy(texts + Offset(column + 1), oldTexts + afterStart, oldBytes - afterStart);
}

void TableRow::InsertCell(int column, uint32_t state) {
    TableRow grown(m_cellCount + 1);
    for (int i = 0, from = 0; i < grown.m_cellCount; ++i) {
        if (i == column) {
            grown.SetCellState(i, state);
            continue;
        }
        grown.Info(i) = Info(from);
        grown.SetCellText(i, GetCellText(from), GetCellLength(from));
        ++from;
    }
    m_block = std::move(grown.m_block);
    m_cellCount = grown.m_cellCount;
}

void TableRow::EraseCell(int column) {
    TableRow shrunk(m_cellCount - 1);
    for (int i = 0, to = 0; i < m_cellCount; ++i) {
        if (i == column) {
            continue;
        }
        shrunk.Info(to) = Info(i);
        shrunk.SetCellText(to, GetCellText(i), GetCellLength(i));
        ++to;
    }
    m_block = std::move(shrunk.m_block);
    m_cellCount = shrunk.m_cellCount;
}
