#include "table/table_model.h"

#include "common/number_text.h"
#include "table/format_number.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr int32_t kSortArrowRoom = 24;

} // namespace

TableModel::TableModel(uint32_t options, uint32_t windowTextColor, TableModelHost* host)
    : m_options(options), m_windowTextColor(windowTextColor), m_host(host) {}

TableModel::~TableModel() = default;

void TableModel::Redraw(uint32_t flags) {
    if (m_host != nullptr) {
        m_host->Redraw(flags);
    }
}

void TableModel::BeginMeasure() {
    if (m_host != nullptr) {
        m_host->BeginMeasure();
    }
}

TableExtent TableModel::MeasureText(const char* text, size_t length) {
    if (m_host == nullptr) {
        return TableModelHost::FixedCellExtent(length);
    }
    return m_host->MeasureText(text, length);
}

void TableModel::EndMeasure() {
    if (m_host != nullptr) {
        m_host->EndMeasure();
    }
}

// ---- columns ----

int TableModel::InsertColumn(int index, const TableColumn& column, int redraw) {
    if (index < 0 || index > GetColumnCount()) {
        return 0;
    }
    auto added = std::make_unique<TableColumn>(column);
    // The new column's order starts empty, whatever head and tail the description carries.
    added->SetSortEnds(-1, -1);
    m_columns.insert(m_columns.begin() + index, std::move(added));
    for (uint32_t slot : m_rowSlots) {
        SlotRow(slot).InsertCell(index, m_windowTextColor);
    }
    if (IsSortable()) {
        bool numeric = column.HasFlag(COLUMN_NUMERIC);
        m_orders.insert(m_orders.begin() + index, std::make_unique<SortedOrder>(numeric));
        if (DefersOrder(column)) {
            m_orders[index]->Defer();
        }
    }
    MeasureColumnTitle(index);
    if (redraw) {
        Redraw(REDRAW_LAYOUT | REDRAW_PAINT);
    }
    return 1;
}

int TableModel::DeleteColumn(int index, int redraw) {
    if (!ValidColumn(index)) {
        return 0;
    }
    m_columns.erase(m_columns.begin() + index);
    for (uint32_t slot : m_rowSlots) {
        SlotRow(slot).EraseCell(index);
    }
    if (IsSortable()) {
        m_orders.erase(m_orders.begin() + index);
    }
    RebuildColumnOrder();
    if (m_host != nullptr) {
        m_host->ColumnDeleted(index);
    }
    if (redraw) {
        Redraw(REDRAW_LAYOUT | REDRAW_PAINT);
    }
    return 1;
}

int TableModel::GetColumn(int index, TableColumn& out) const {
    if (!ValidColumn(index)) {
        return 0;
    }
    BuildOrder(index);
    out = *m_columns[index];
    return 1;
}

const TableColumn* TableModel::FindColumn(int index) const {
    if (!ValidColumn(index)) {
        return nullptr;
    }
    BuildOrder(index);
    return m_columns[index].get();
}

int TableModel::GetColumnPtr(int index, TableColumn** out) {
    if (!ValidColumn(index) || out == nullptr) {
        return 0;
    }
    BuildOrder(index);
    *out = m_columns[index].get();
    return 1;
}

int TableModel::SetColumn(int index, const TableColumn& column) {
    if (!ValidColumn(index)) {
        return 0;
    }
    if (!DefersOrder(column)) {
        BuildOrder(index);
    }
    TableColumn& target = *m_columns[index];
    // Head and tail describe the order the table keeps; a description cannot move them.
    int32_t head = target.GetSortHead();
    int32_t tail = target.GetSortTail();
    target = column;
    target.SetSortEnds(head, tail);
    // A column that changes between text and numeric keeps its present order; later stores
    // compare the new way.
    if (IsSortable()) {
        m_orders[index]->SetNumeric(column.HasFlag(COLUMN_NUMERIC), TextSource(index));
    }
    MeasureColumnTitle(index);
    Redraw(REDRAW_LAYOUT | REDRAW_PAINT);
    return 1;
}

std::string TableModel::GetColumnTitle(int index) const {
    return ValidColumn(index) ? m_columns[index]->GetTitle() : std::string();
}

int TableModel::SetColumnTitle(int index, const std::string& title) {
    if (!ValidColumn(index)) {
        return 0;
    }
    TableColumn& column = *m_columns[index];
    column.SetTitle(title);
    BeginMeasure();
    TableExtent extent = MeasureText(title.c_str(), title.size());
    EndMeasure();
    column.SetTitleExtent({extent.cx + 6, extent.cy + 6});
    return 1;
}

int TableModel::GetColumnWidth(int index) const {
    return ValidColumn(index) ? m_columns[index]->GetWidth() : 0;
}

int TableModel::SetColumnWidth(int index, int width, int redraw) {
    if (!ValidColumn(index)) {
        return 0;
    }
    m_columns[index]->SetWidth(width);
    if (redraw) {
        Redraw(REDRAW_LAYOUT | REDRAW_PAINT);
    }
    return 1;
}

void TableModel::MeasureColumnTitle(int column) {
    RebuildColumnOrder();
    TableColumn& measured = *m_columns[column];
    BeginMeasure();
    TableExtent extent = MeasureText(measured.GetTitle().c_str(), measured.GetTitle().size());
    EndMeasure();
    measured.SetTitleExtent({extent.cx + 6, extent.cy + 6});
    TableExtent largest;
    for (const auto& each : m_columns) {
        largest.cx = std::max(largest.cx, each->GetTitleExtent().cx);
        largest.cy = std::max(largest.cy, each->GetTitleExtent().cy);
    }
    m_newRowHeight = largest.cy;
    if (m_host != nullptr) {
        m_host->TitlesMeasured(largest);
    }
}

void TableModel::RebuildColumnOrder() {
    m_displayOrder.clear();
    for (int c = 0; c < GetColumnCount(); ++c) {
        if ((m_columns[c]->GetFlags() & (COLUMN_KEY | COLUMN_HIDDEN)) == COLUMN_KEY) {
            m_displayOrder.push_back(c);
        }
    }
    m_frozenCount = GetDisplayedCount();
    for (int c = 0; c < GetColumnCount(); ++c) {
        if ((m_columns[c]->GetFlags() & (COLUMN_KEY | COLUMN_HIDDEN)) == 0) {
            m_displayOrder.push_back(c);
        }
    }
}

int TableModel::GetDisplayColumn(int position) const {
    if (position < 0 || position >= GetDisplayedCount()) {
        return -1;
    }
    return m_displayOrder[position];
}

// ---- rows ----

uint32_t TableModel::AllocateSlot() {
    if (!m_freeSlots.empty()) {
        uint32_t slot = m_freeSlots.back();
        m_freeSlots.pop_back();
        return slot;
    }
    uint32_t slot = static_cast<uint32_t>(m_slotIndex.size());
    m_slotIndex.push_back(-1);
    if (slot / ROW_CHUNK == m_rowChunks.size()) {
        m_rowChunks.push_back(std::make_unique<TableRow[]>(ROW_CHUNK));
    }
    return slot;
}

// Row indices from index on moved by one: their slots learn their new index. Rows are
// appended far more often than inserted or deleted in the middle, and an append renumbers
// nothing.
void TableModel::RenumberFrom(int index) {
    for (int i = index; i < GetRowCount(); ++i) {
        m_slotIndex[m_rowSlots[i]] = i;
    }
}

void TableModel::RefreshHeadsAndTails() {
    for (int c = 0; c < static_cast<int>(m_orders.size()); ++c) {
        RefreshHeadAndTail(c);
    }
}

// A deferred order's ends are set when it is built.
void TableModel::RefreshHeadAndTail(int column) const {
    const SortedOrder& order = *m_orders[column];
    if (!order.IsDeferred()) {
        m_columns[column]->SetSortEnds(SlotIndex(order.First()), SlotIndex(order.Last()));
    }
}

int TableModel::InsertRow(int index, const char* text, char delimiter, int) {
    if (index < 0 || index > GetRowCount()) {
        return 0;
    }
    uint32_t slot = AllocateSlot();
    TableRow& row = SlotRow(slot);
    row = TableRow(GetColumnCount());
    row.SetHeight(m_newRowHeight);
    row.SetTick(static_cast<uint32_t>(std::clock()));
    m_rowSlots.insert(m_rowSlots.begin() + index, slot);
    RenumberFrom(index);
    if (index + 1 < GetRowCount()) {
        RefreshHeadsAndTails();
    }
    if (m_keyIndexBuilt) {
        m_byKeyHash.emplace(0, slot);
    }
    if (m_lookupIndexBuilt) {
        m_byLookupHash.emplace(0, slot);
    }
    SetRowText(index, text, 0, delimiter, 1);
    return index;
}

int TableModel::DeleteRow(int index, int redraw) {
    if (!ValidRow(index)) {
        return 0;
    }
    uint32_t slot = m_rowSlots[index];
    TableRow& row = SlotRow(slot);
    for (const auto& order : m_orders) {
        order->Unlink(slot);
    }
    if (m_keyIndexBuilt) {
        EraseLookupEntry(m_byKeyHash, row.GetKeyHash(), slot);
    }
    if (m_lookupIndexBuilt) {
        EraseLookupEntry(m_byLookupHash, row.GetLookupHash(), slot);
    }
    m_rowSlots.erase(m_rowSlots.begin() + index);
    row = TableRow();
    m_slotIndex[slot] = -1;
    m_freeSlots.push_back(slot);
    RenumberFrom(index);
    RefreshHeadsAndTails();
    if (m_host != nullptr) {
        m_host->RowDeleted(index);
    }
    Redraw(redraw ? REDRAW_LAYOUT | REDRAW_PAINT : REDRAW_LAYOUT);
    return 1;
}

void TableModel::DeleteAllRows() {
    m_rowSlots.clear();
    m_slotIndex.clear();
    m_rowChunks.clear();
    m_freeSlots.clear();
    m_byKeyHash.clear();
    m_byLookupHash.clear();
    for (size_t c = 0; c < m_orders.size(); ++c) {
        m_orders[c]->Clear();
        if (DefersOrder(*m_columns[c])) {
            m_orders[c]->Defer();
        }
    }
    for (const auto& column : m_columns) {
        column->SetSortEnds(-1, -1);
    }
    if (m_host != nullptr) {
        m_host->RowsCleared();
    }
    Redraw(REDRAW_LAYOUT | REDRAW_PAINT);
}

int TableModel::GetRow(int index, TableRow& out) const {
    if (!ValidRow(index)) {
        return 0;
    }
    out = *Row(index);
    return 1;
}

int TableModel::GetRowPtr(int index, TableRow** out) {
    if (!ValidRow(index) || out == nullptr) {
        return 0;
    }
    *out = Row(index);
    return 1;
}

int TableModel::SetRowText(int row, const char* text, int firstColumn, char delimiter, int redraw) {
    if (!ValidRow(row) || !ValidColumn(firstColumn)) {
        return 0;
    }
    BeginMeasure();
    for (int column = firstColumn; text != nullptr && column < GetColumnCount(); ++column) {
        const char* end = delimiter == '\0' ? nullptr : std::strchr(text, delimiter);
        size_t length = end != nullptr ? static_cast<size_t>(end - text) : std::strlen(text);
        StoreField(row, column, text, length);
        text = end != nullptr ? end + 1 : nullptr;
    }
    RehashRow(row);
    if (redraw) {
        Redraw(REDRAW_LAYOUT | REDRAW_PAINT);
    }
    EndMeasure();
    return 1;
}

void TableModel::StoreField(int row, int column, const char* field, size_t length) {
    // Text columns store the field as it is, without a copy: this is ingest's path.
    if ((m_columns[column]->GetFlags() & COLUMN_NUMERIC) == 0) {
        StoreCell(row, column, field, length);
        return;
    }
    const std::string stored = StoredText(column, std::string(field, length));
    StoreCell(row, column, stored.c_str(), stored.size());
}

// Numeric columns reformat numbers that are not plain digit strings ("1024.0" -> "1024",
// "3000000000.0" -> "3G"); "UNK" and empty fields stay as they are.
std::string TableModel::StoredText(int column, const std::string& field) const {
    uint32_t flags = m_columns[column]->GetFlags();
    if ((flags & COLUMN_NUMERIC) == 0 || field == "UNK" || IsAllDigits(field.c_str())) {
        return field;
    }
    char formatted[256];
    FormatNumber(formatted, ReadNumber(field.c_str()), (flags & COLUMN_SIGNED) != 0);
    return formatted;
}

void TableModel::StoreCell(int row, int column, const char* text, size_t length) {
    UnlinkSorted(row, column);
    TableRow& stored = *Row(row);
    stored.SetCellText(column, text, length);
    LinkSorted(row, column);
    TableExtent extent = MeasureText(stored.GetCellText(column), length);
    extent = {extent.cx + 6, extent.cy + 5};
    stored.SetCellExtent(column, extent);
    GrowToExtent(row, column, extent);
}

// An auto-sized column (a row in transposed mode) widens to its widest text; once cut at
// MAX_AUTOSIZE_EXTENT it stops growing by itself.
void TableModel::GrowToExtent(int row, int column, TableExtent extent) {
    bool transposed = m_transposed != 0;
    TableRow& stored = *Row(row);
    TableColumn& col = *m_columns[column];
    int autoSize = transposed ? stored.GetAutoSize() : col.GetAutoSize();
    int32_t current = transposed ? stored.GetHeight() : col.GetWidth();
    if (!autoSize || current >= extent.cx) {
        return;
    }
    int32_t grown = extent.cx;
    if (grown > MAX_AUTOSIZE_EXTENT) {
        grown = MAX_AUTOSIZE_EXTENT;
        if (transposed) {
            stored.SetAutoSize(0);
        } else {
            col.SetAutoSize(0);
        }
    }
    if (transposed) {
        stored.SetHeight(grown);
    } else {
        SetColumnWidth(column, grown, 1);
    }
}

std::string TableModel::GetCellText(int row, int column) const {
    if (!ValidRow(row) || !ValidColumn(column)) {
        return std::string();
    }
    return Row(row)->GetCellText(column);
}

uint32_t TableModel::GetCellState(int row, int column) const {
    if (!ValidRow(row) || !ValidColumn(column)) {
        return 0;
    }
    return Row(row)->GetCellState(column);
}

int TableModel::SetCellState(int row, int column, uint32_t state) {
    if (!ValidRow(row) || !ValidColumn(column)) {
        return 0;
    }
    Row(row)->SetCellState(column, state);
    return 1;
}

int TableModel::SetCellStates(int row, int firstColumn, const uint32_t* values, int count,
                              uint32_t mask) {
    if (!ValidRow(row) || !ValidColumn(firstColumn) || values == nullptr) {
        return 0;
    }
    TableRow& stored = *Row(row);
    int last = std::min(GetColumnCount(), firstColumn + std::max(count, 0));
    for (int column = firstColumn; column < last; ++column) {
        uint32_t state = stored.GetCellState(column);
        stored.SetCellState(column, (state & ~mask) | (values[column - firstColumn] & mask));
    }
    return 1;
}

uint32_t TableModel::GetRowData(int row) const {
    return ValidRow(row) ? Row(row)->GetData() : 0;
}

int TableModel::SetRowData(int row, uint32_t data) {
    if (!ValidRow(row)) {
        return 0;
    }
    Row(row)->SetData(data);
    return 1;
}

uint32_t TableModel::GetRowTick(int row) const {
    return ValidRow(row) ? Row(row)->GetTick() : 0;
}

int TableModel::SetRowTick(int row, uint32_t tick) {
    if (!ValidRow(row)) {
        return 0;
    }
    Row(row)->SetTick(tick);
    return 1;
}

int TableModel::GetRowHeight(int row) const {
    return ValidRow(row) ? Row(row)->GetHeight() : 0;
}

int TableModel::SetRowHeight(int row, int height, int redraw) {
    if (!ValidRow(row)) {
        return 0;
    }
    Row(row)->SetHeight(height);
    if (redraw) {
        Redraw(REDRAW_LAYOUT | REDRAW_PAINT);
    }
    return 1;
}

int TableModel::AutoSizeColumn(int column, int force) {
    if (!ValidColumn(column)) {
        return 0;
    }
    TableColumn& col = *m_columns[column];
    if (!force && !col.GetAutoSize()) {
        return 0;
    }
    int32_t width = m_newRowHeight;
    if (!m_transposed) {
        int32_t arrowRoom = IsSortable() ? kSortArrowRoom : 0;
        width = col.GetTitleExtent().cx;
        for (uint32_t slot : m_rowSlots) {
            width = std::max(width, SlotRow(slot).GetCellExtent(column).cx + arrowRoom);
        }
        width = std::min(width, MAX_AUTOSIZE_EXTENT);
    }
    SetColumnWidth(column, width, 1);
    return width;
}

int TableModel::AutoSizeRow(int row, int force) {
    if (!ValidRow(row)) {
        return 0;
    }
    TableRow& stored = *Row(row);
    if (!force && !stored.GetAutoSize()) {
        return 0;
    }
    int32_t height = m_newRowHeight;
    if (m_transposed) {
        height = 0;
        for (int column = 0; column < GetColumnCount(); ++column) {
            height = std::max(height, stored.GetCellExtent(column).cx);
        }
        height = std::min(height, MAX_AUTOSIZE_EXTENT);
    }
    SetRowHeight(row, height, 1);
    return height;
}

int TableModel::SetTransposed(int mode) {
    int previous = m_transposed;
    m_transposed = mode < 0 ? !m_transposed : mode != 0;
    for (const auto& column : m_columns) {
        column->SetAutoSize(1);
    }
    for (uint32_t slot : m_rowSlots) {
        SlotRow(slot).SetAutoSize(1);
    }
    for (int column = 0; column < GetColumnCount(); ++column) {
        AutoSizeColumn(column, 1);
    }
    for (int row = 0; row < GetRowCount(); ++row) {
        AutoSizeRow(row, 1);
    }
    Redraw(REDRAW_LAYOUT | REDRAW_ERASE);
    return previous;
}

// ---- selection ----

int TableModel::SelectCell(int displayRow, int column, int select) {
    if (!ValidRow(displayRow) || column >= GetColumnCount()) {
        return 0;
    }
    TableRow& row = *Row(DisplayRowToRow(displayRow));
    bool wholeRow = column < 0 || (m_options & TABLE_ROWSELECT) != 0;
    int first = wholeRow ? 0 : column;
    int last = wholeRow ? GetColumnCount() : column + 1;
    for (int c = first; c < last; ++c) {
        uint32_t state = row.GetCellState(c);
        row.SetCellState(c, select ? state | CELL_SELECTED : state & ~CELL_SELECTED);
    }
    Redraw(REDRAW_PAINT);
    return 1;
}

void TableModel::ClearSelection() {
    for (uint32_t slot : m_rowSlots) {
        TableRow& row = SlotRow(slot);
        for (int c = 0; c < row.GetCellCount(); ++c) {
            row.SetCellState(c, row.GetCellState(c) & ~CELL_SELECTED);
        }
    }
    Redraw(REDRAW_PAINT);
}

int TableModel::GetNextSelectedRow(int after) const {
    for (int index = std::max(after, -1) + 1; index < GetRowCount(); ++index) {
        const TableRow& row = *Row(index);
        for (int c = 0; c < row.GetCellCount(); ++c) {
            if (row.GetCellState(c) & CELL_SELECTED) {
                return index;
            }
        }
    }
    return -1;
}
