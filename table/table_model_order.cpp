// TableModel: the per-column sorted orders and the lookup of rows by key.
#include "table/format_number.h"
#include "table/table_model.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kFieldBufferSize = 255;

bool IsKeyColumn(const std::vector<std::unique_ptr<TableColumn>>& columns, size_t column) {
    return column < columns.size() && columns[column]->HasFlag(COLUMN_KEY);
}

} // namespace

uint32_t TableModel::MixKeyText(uint32_t hash, const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        // Shift left by one, filling with the old sign bit as an arithmetic shift right by
        // 31 would: a hash with its top bit set becomes all ones before the XOR.
        uint32_t fill = (hash & 0x80000000u) != 0 ? 0xFFFFFFFFu : 0;
        hash = (hash << 1) | fill;
        hash ^= static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(text[i])));
    }
    return hash;
}

SortedOrder::TextOf TableModel::TextSource(int column) const {
    auto textOf = [](const void* context, uint32_t slot, int col) {
        return static_cast<const TableModel*>(context)->SlotRow(slot).GetCellText(col);
    };
    return {textOf, this, column};
}

bool TableModel::DefersOrder(const TableColumn& column) {
    return column.HasFlag(COLUMN_HIDDEN) && !column.HasFlag(COLUMN_NUMERIC);
}

// Const as a read: building changes no content, only what is kept to answer quickly.
void TableModel::BuildOrder(int column) const {
    if (!IsSortable() || !m_orders[column]->IsDeferred()) {
        return;
    }
    m_orders[column]->Build(TextSource(column));
    RefreshHeadAndTail(column);
}

int TableModel::SlotToRow(uint32_t slot, TableRow** out) const {
    if (out != nullptr) {
        *out = slot == SortedOrder::NIL ? nullptr : &SlotRow(slot);
    }
    return SlotIndex(slot);
}

void TableModel::LinkSorted(int row, int column) {
    if (!IsSortable() || !ValidRow(row) || !ValidColumn(column)) {
        return;
    }
    uint32_t slot = m_rowSlots[row];
    m_orders[column]->Link(slot, SlotRow(slot).GetCellText(column), TextSource(column));
    RefreshHeadAndTail(column);
}

void TableModel::UnlinkSorted(int row, int column) {
    if (!IsSortable() || !ValidRow(row) || !ValidColumn(column)) {
        return;
    }
    SortedOrder& order = *m_orders[column];
    uint32_t slot = m_rowSlots[row];
    if (!order.IsLinked(slot)) {
        return;
    }
    order.Unlink(slot);
    RefreshHeadAndTail(column);
}

void TableModel::SetSortColumn(int column, int mode) {
    if (!IsSortable() || column < 0) {
        m_sortMode = SORT_NONE;
        return;
    }
    m_sortColumn = column;
    m_sortMode = mode;
    Redraw(REDRAW_PAINT);
}

int TableModel::GetSortedRow(int n, TableRow** out, int column) const {
    if (out != nullptr) {
        *out = nullptr;
    }
    if (!IsSortable() || !ValidRow(n) || !ValidColumn(column)) {
        return -1;
    }
    BuildOrder(column);
    const SortedOrder& order = *m_orders[column];
    uint32_t count = order.Count();
    uint32_t position = static_cast<uint32_t>(n);
    if (position >= count) {
        return -1;
    }
    bool backward = (m_sortMode & SORT_DESCENDING) != 0;
    return SlotToRow(order.Nth(backward ? count - 1 - position : position), out);
}

int TableModel::GetNextSortedRow(int row, TableRow** out, int column) const {
    if (out != nullptr) {
        *out = nullptr;
    }
    if (!IsSortable() || !ValidRow(row) || !ValidColumn(column)) {
        return -1;
    }
    BuildOrder(column);
    const SortedOrder& order = *m_orders[column];
    uint32_t slot = m_rowSlots[row];
    bool backward = (m_sortMode & SORT_DESCENDING) != 0;
    return SlotToRow(backward ? order.Prev(slot) : order.Next(slot), out);
}

int TableModel::DisplayRowToRow(int displayRow) const {
    if (!ValidRow(displayRow)) {
        return 0;
    }
    if (!IsSortable() || m_sortMode == SORT_NONE) {
        return displayRow;
    }
    int row = GetSortedRow(displayRow, nullptr, m_sortColumn);
    return row < 0 ? 0 : row;
}

// ---- key lookup ----

void TableModel::RehashRow(int row) {
    uint32_t slot = m_rowSlots[row];
    TableRow& stored = SlotRow(slot);
    uint32_t oldKeyHash = stored.GetKeyHash();
    uint32_t oldLookupHash = stored.GetLookupHash();
    uint32_t hash = 0;
    for (size_t c = 0; IsKeyColumn(m_columns, c); ++c) {
        hash = MixKeyText(hash, stored.GetCellText(c), stored.GetCellLength(c));
    }
    stored.SetKeyHash(hash);
    UpdateLookup(slot, oldKeyHash, oldLookupHash);
}

void TableModel::UpdateLookup(uint32_t slot, uint32_t oldKeyHash, uint32_t oldLookupHash) {
    const TableRow& row = SlotRow(slot);
    if (m_keyIndexBuilt && row.GetKeyHash() != oldKeyHash) {
        EraseLookupEntry(m_byKeyHash, oldKeyHash, slot);
        m_byKeyHash.emplace(row.GetKeyHash(), slot);
    }
    if (m_lookupIndexBuilt && row.GetLookupHash() != oldLookupHash) {
        EraseLookupEntry(m_byLookupHash, oldLookupHash, slot);
        m_byLookupHash.emplace(row.GetLookupHash(), slot);
    }
}

void TableModel::EraseLookupEntry(std::unordered_multimap<uint32_t, uint32_t>& index, uint32_t hash,
                                  uint32_t slot) {
    auto range = index.equal_range(hash);
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second == slot) {
            index.erase(it);
            return;
        }
    }
}

int TableModel::SetRowKey(int row, uint32_t key) {
    if (!ValidRow(row)) {
        return 0;
    }
    uint32_t slot = m_rowSlots[row];
    TableRow& stored = SlotRow(slot);
    uint32_t oldLookupHash = stored.GetLookupHash();
    stored.SetKey(key);
    UpdateLookup(slot, stored.GetKeyHash(), oldLookupHash);
    return 1;
}

int TableModel::FindRow(uint32_t key, const char* text, char delimiter) {
    return FindRowBy(true, key, text, delimiter);
}

int TableModel::FindRow(const char* text, char delimiter) {
    return FindRowBy(false, 0, text, delimiter);
}

// The hash indexes are built on the first lookup of their kind and kept up to date after
// that; a table that is never searched pays nothing for them.
void TableModel::BuildLookupIndex(bool withKey) {
    bool& built = withKey ? m_lookupIndexBuilt : m_keyIndexBuilt;
    if (built) {
        return;
    }
    auto& index = withKey ? m_byLookupHash : m_byKeyHash;
    index.reserve(m_rowSlots.size());
    for (uint32_t slot : m_rowSlots) {
        const TableRow& row = SlotRow(slot);
        index.emplace(withKey ? row.GetLookupHash() : row.GetKeyHash(), slot);
    }
    built = true;
}

// The first row, by index, whose key cells equal the key fields of text (and, with a key,
// whose key number equals key). The hash is taken over the trimmed fields, as the row hash
// over the stored cells, so a key field with trailing blanks is never found.
int TableModel::FindRowBy(bool withKey, uint32_t key, const char* text, char delimiter) {
    uint32_t hash = 0;
    for (size_t c = 0; IsKeyColumn(m_columns, c); ++c) {
        char buffer[kFieldBufferSize];
        const char* field =
            GetField(static_cast<int>(c), text, buffer, kFieldBufferSize, delimiter);
        if (field != nullptr) {
            hash = MixKeyText(hash, field, std::strlen(field));
        }
    }
    if (withKey) {
        hash ^= key;
    }
    BuildLookupIndex(withKey);
    auto range = (withKey ? m_byLookupHash : m_byKeyHash).equal_range(hash);
    int found = -1;
    for (auto it = range.first; it != range.second; ++it) {
        const TableRow& row = SlotRow(it->second);
        int index = m_slotIndex[it->second];
        if (found >= 0 && index > found) {
            continue;
        }
        if (withKey && row.GetKey() != key) {
            continue;
        }
        if (KeyCellsMatch(row, text, delimiter)) {
            found = index;
        }
    }
    return found;
}

// Compares the untrimmed key fields of text with the cells; a missing field counts as empty.
bool TableModel::KeyCellsMatch(const TableRow& row, const char* text, char delimiter) const {
    std::string field;
    for (size_t c = 0; IsKeyColumn(m_columns, c); ++c) {
        if (GetField(static_cast<int>(c), text, delimiter, &field) == nullptr) {
            field.clear();
        }
        int column = static_cast<int>(c);
        if (field.size() != row.GetCellLength(column) ||
            std::memcmp(field.data(), row.GetCellText(column), field.size()) != 0) {
            return false;
        }
    }
    return true;
}
