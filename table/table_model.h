#pragma once

#include "table/sorted_order.h"
#include "table/table_column.h"
#include "table/table_row.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// Table options.
constexpr uint32_t TABLE_POPUP = 1;
constexpr uint32_t TABLE_ROWSELECT = 2;
constexpr uint32_t TABLE_NOSCROLLBARS = 4;
constexpr uint32_t TABLE_SORTABLE = 8;
constexpr uint32_t TABLE_SINGLESEL = 16;

// Pending-redraw flags.
constexpr uint32_t REDRAW_PAINT = 1;
constexpr uint32_t REDRAW_ERASE = 2;
constexpr uint32_t REDRAW_LAYOUT = 4;

// Widths and heights that come from auto-sizing never exceed this many pixels.
constexpr int32_t MAX_AUTOSIZE_EXTENT = 150;

// Sort modes.
constexpr int SORT_NONE = 0;
constexpr int SORT_ASCENDING = 1;
constexpr int SORT_DESCENDING = 2;

// What the model asks of the window that shows it: redraws, text measurement, and word of the
// changes that move what the window keeps of its own (focus, first row and column shown,
// header size). A model without a host redraws nothing and measures a fixed 7x13 pixel cell
// per character.
class TableModelHost {
  public:
    virtual void Redraw(uint32_t flags) = 0;
    // SetRowText and the title measurements bracket their measurements with BeginMeasure and
    // EndMeasure (one device context per call).
    virtual void BeginMeasure() {}
    virtual TableExtent MeasureText(const char* /*text*/, size_t length) {
        return FixedCellExtent(length);
    }
    virtual void EndMeasure() {}
    virtual void ColumnDeleted(int) {}
    virtual void RowDeleted(int) {}
    virtual void RowsCleared() {}
    // Every column title measured again: the widest and the tallest, each with its margin.
    virtual void TitlesMeasured(TableExtent) {}

    static TableExtent FixedCellExtent(size_t length) {
        return {7 * static_cast<int32_t>(length), 13};
    }

  protected:
    ~TableModelHost() = default;
};

// The data of the table control: columns, rows and cells, selection, display order of the
// columns, one sorted order per column and the lookup of rows by key. Holds no window and no
// view state; KSCTable holds one and is its host. BOOL results are int (1 or 0), as the
// platform's BOOL is.
//
// Rows are addressed by index (insertion order). Internally each row also has a stable
// slot number; the sorted orders are kept per column as blocked lists over slots (see
// SortedOrder), so placing a row costs two binary searches and a short move, with the same
// order a walk from the head of a linked list would give. Deleting or inserting a row
// anywhere but at the end renumbers the 4-byte slot index of the rows after it.
class TableModel {
  public:
    explicit TableModel(uint32_t options = 0, uint32_t windowTextColor = 0,
                        TableModelHost* host = nullptr);
    ~TableModel();
    TableModel(const TableModel&) = delete;
    TableModel& operator=(const TableModel&) = delete;

    // Columns.
    int InsertColumn(int index, const TableColumn& column, int redraw);
    int DeleteColumn(int index, int redraw);
    int GetColumn(int index, TableColumn& out) const;
    const TableColumn* FindColumn(int index) const; // null when out of range
    int GetColumnPtr(int index, TableColumn** out);
    int SetColumn(int index, const TableColumn& column);
    std::string GetColumnTitle(int index) const;
    int SetColumnTitle(int index, const std::string& title);
    int GetColumnWidth(int index) const;
    int SetColumnWidth(int index, int width, int redraw);
    int GetColumnCount() const { return static_cast<int>(m_columns.size()); }

    // Rows and cells.
    int InsertRow(int index, const char* text, char delimiter, int redraw);
    int DeleteRow(int index, int redraw);
    void DeleteAllRows();
    int GetRow(int index, TableRow& out) const;
    int GetRowPtr(int index, TableRow** out);
    int GetRowCount() const { return static_cast<int>(m_rowSlots.size()); }
    int SetRowText(int row, const char* text, int firstColumn, char delimiter, int redraw);
    std::string GetCellText(int row, int column) const;
    // The text a cell of `column` keeps when given `field` (numeric columns reformat).
    std::string StoredText(int column, const std::string& field) const;
    uint32_t GetCellState(int row, int column) const;
    int SetCellState(int row, int column, uint32_t state);
    int SetCellStates(int row, int firstColumn, const uint32_t* values, int count, uint32_t mask);
    uint32_t GetRowData(int row) const;
    int SetRowData(int row, uint32_t data);
    uint32_t GetRowTick(int row) const;
    int SetRowTick(int row, uint32_t tick);
    int GetRowHeight(int row) const;
    int SetRowHeight(int row, int height, int redraw);
    int AutoSizeColumn(int column, int force);
    int AutoSizeRow(int row, int force);
    int SetTransposed(int mode);

    // Selection; display rows go through DisplayRowToRow.
    int SelectCell(int displayRow, int column, int select);
    int SelectRow(int displayRow, int select) { return SelectCell(displayRow, -1, select); }
    void ClearSelection();
    int GetNextSelectedRow(int after) const;

    // Sorted orders and key lookup.
    void LinkSorted(int row, int column);
    void UnlinkSorted(int row, int column);
    void SetSortColumn(int column, int mode);
    int GetSortColumn() const { return m_sortColumn; }
    int GetSortMode() const { return m_sortMode; }
    int GetSortedRow(int n, TableRow** out, int column) const;
    int GetNextSortedRow(int row, TableRow** out, int column) const;
    int DisplayRowToRow(int displayRow) const;
    int SetRowKey(int row, uint32_t key);
    int FindRow(uint32_t key, const char* text, char delimiter);
    int FindRow(const char* text, char delimiter);

    // Display order of the columns: frozen key columns first, hidden ones absent.
    int GetDisplayedCount() const { return static_cast<int>(m_displayOrder.size()); }
    int GetFrozenCount() const { return m_frozenCount; }
    int GetDisplayColumn(int position) const; // column index, -1 when out of range

    uint32_t GetOptions() const { return m_options; }
    int IsSortable() const { return (m_options & TABLE_SORTABLE) != 0; }
    int IsTransposed() const { return m_transposed; }
    // Height of new rows, and of rows auto-sized in normal mode: the tallest title, or what
    // the host sets from its font.
    int GetNewRowHeight() const { return m_newRowHeight; }
    void SetNewRowHeight(int height) { m_newRowHeight = height; }

  private:
    void Redraw(uint32_t flags);
    void BeginMeasure();
    TableExtent MeasureText(const char* text, size_t length);
    void EndMeasure();
    void MeasureColumnTitle(int column);
    void RebuildColumnOrder();

    uint32_t m_options = 0;
    uint32_t m_windowTextColor = 0; // state of cells added to existing rows by InsertColumn
    TableModelHost* m_host = nullptr;
    int m_transposed = 0;
    int m_sortColumn = 0;
    int m_sortMode = SORT_NONE;
    int m_newRowHeight = 0;
    std::vector<int> m_displayOrder; // column indices
    int m_frozenCount = 0;

    TableRow& SlotRow(uint32_t slot) const {
        return m_rowChunks[slot / ROW_CHUNK][slot % ROW_CHUNK];
    }
    TableRow* Row(int index) const { return &SlotRow(m_rowSlots[index]); }
    bool ValidRow(int row) const { return row >= 0 && row < GetRowCount(); }
    bool ValidColumn(int column) const { return column >= 0 && column < GetColumnCount(); }
    int SlotIndex(uint32_t slot) const { return slot == SortedOrder::NIL ? -1 : m_slotIndex[slot]; }
    int SlotToRow(uint32_t slot, TableRow** out) const;
    uint32_t AllocateSlot();
    void RenumberFrom(int index);
    void RefreshHeadAndTail(int column) const;
    // The orders of hidden text columns are deferred (SortedOrder) and built when first read:
    // by a sorted walk of the column or its sort ends.
    static bool DefersOrder(const TableColumn& column);
    void BuildOrder(int column) const;
    void RefreshHeadsAndTails();
    void StoreField(int row, int column, const char* field, size_t length);
    void StoreCell(int row, int column, const char* text, size_t length);
    void GrowToExtent(int row, int column, TableExtent extent);
    SortedOrder::TextOf TextSource(int column) const;
    static uint32_t MixKeyText(uint32_t hash, const char* text, size_t length);
    void RehashRow(int row);
    void UpdateLookup(uint32_t slot, uint32_t oldKeyHash, uint32_t oldLookupHash);
    static void EraseLookupEntry(std::unordered_multimap<uint32_t, uint32_t>& index, uint32_t hash,
                                 uint32_t slot);
    void BuildLookupIndex(bool withKey);
    int FindRowBy(bool withKey, uint32_t key, const char* text, char delimiter);
    bool KeyCellsMatch(const TableRow& row, const char* text, char delimiter) const;

    std::vector<std::unique_ptr<TableColumn>> m_columns;
    std::vector<std::unique_ptr<SortedOrder>> m_orders; // per column, sortable tables only
    std::vector<uint32_t> m_rowSlots;                   // row index -> slot
    std::vector<int32_t> m_slotIndex;                   // slot -> row index, -1 when free
    // Rows by slot, in chunks that never move: a row's address is stable for its life.
    static constexpr uint32_t ROW_CHUNK = 1024;
    std::vector<std::unique_ptr<TableRow[]>> m_rowChunks;
    std::vector<uint32_t> m_freeSlots;
    // Hash -> slot indexes for FindRow, built on first use (most tables never look up).
    std::unordered_multimap<uint32_t, uint32_t> m_byKeyHash;
    std::unordered_multimap<uint32_t, uint32_t> m_byLookupHash;
    bool m_keyIndexBuilt = false;
    bool m_lookupIndexBuilt = false;
};
