#pragma once

#include "table/table_column.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// Cell state word: text colour in the low 24 bits, selection in bit 24.
constexpr uint32_t CELL_COLOR_MASK = 0x00FFFFFF;
constexpr uint32_t CELL_SELECTED = 0x01000000;

// One row of a table. The cells (text, state word, measured extent) live in one heap
// block per row: a 100k-row table must stay within a few hundred bytes per row, and
// separate strings and arrays per cell cost several times that.
class TableRow {
  public:
    TableRow() = default;
    // A row of cellCount empty cells, states 0, extents (0, 0).
    explicit TableRow(int cellCount);
    TableRow(const TableRow& other);
    TableRow& operator=(const TableRow& other);
    TableRow(TableRow&&) noexcept = default;
    TableRow& operator=(TableRow&&) noexcept = default;

    int GetCellCount() const { return m_cellCount; }
    // Text of a cell, NUL-terminated; valid until the cell is stored again.
    const char* GetCellText(int column) const;
    size_t GetCellLength(int column) const;
    uint32_t GetCellState(int column) const { return Info(column).state; }
    void SetCellState(int column, uint32_t state) { Info(column).state = state; }
    TableExtent GetCellExtent(int column) const {
        const CellInfo& info = Info(column);
        return {info.cx, info.cy};
    }
    // Kept to 16 bits each, cut at 32767 pixels: far past any width a column is sized to.
    void SetCellExtent(int column, TableExtent extent);

    void SetCellText(int column, const char* text, size_t length);
    // Adds an empty cell with the given state and extent (0, 0) before column.
    void InsertCell(int column, uint32_t state);
    void EraseCell(int column);

    // The hash of the key cells, and that hash with the caller's key number mixed in.
    uint32_t GetKeyHash() const { return m_keyHash; }
    uint32_t GetLookupHash() const { return m_lookupHash; }
    void SetKeyHash(uint32_t hash) {
        m_keyHash = hash;
        m_lookupHash = hash ^ m_key;
    }
    uint32_t GetKey() const { return m_key; }
    void SetKey(uint32_t key) {
        m_key = key;
        m_lookupHash = m_keyHash ^ key;
    }
    uint32_t GetData() const { return m_data; }
    void SetData(uint32_t data) { m_data = data; }
    int32_t GetHeight() const { return m_height; }
    void SetHeight(int32_t height) { m_height = height; }
    // Whether the height still grows with the texts in transposed mode.
    int GetAutoSize() const { return m_autoSize; }
    void SetAutoSize(int autoSize) { m_autoSize = autoSize != 0; }
    // clock() when the row was made.
    uint32_t GetTick() const { return m_tick; }
    void SetTick(uint32_t tick) { m_tick = tick; }

  private:
    struct CellInfo {
        uint32_t state;
        int16_t cx;
        int16_t cy;
    };
    // Block layout: CellInfo[count], offsets[count + 1], then the texts, each NUL-terminated;
    // offsets are relative to the start of the texts. They take 16 bits each while the
    // texts take at most 65,535 bytes, as nearly every row's do, and 32 bits in a wide row.
    CellInfo& Info(int column) const;
    uint32_t Offset(int index) const;
    void SetOffset(int index, uint32_t offset);
    char* Texts() const;
    size_t TextBytes() const;
    static bool IsWide(size_t textBytes) { return textBytes > UINT16_MAX; }
    static size_t HeaderBytes(int count, bool wide);
    static uint32_t ReadOffset(const char* offsets, bool wide, int index);
    void Allocate(int count, size_t textBytes);

    std::unique_ptr<char[]> m_block;
    int m_cellCount = 0;
    uint32_t m_keyHash = 0;
    uint32_t m_lookupHash = 0; // m_keyHash ^ m_key
    uint32_t m_data = 0;
    int32_t m_height = 0;
    bool m_autoSize = true;
    bool m_wide = false; // 32-bit offsets
    uint32_t m_key = 0;
    uint32_t m_tick = 0;
};
