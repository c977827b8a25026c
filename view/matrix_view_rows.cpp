// CMatrixView: the conversation rows. A node change empties the table and walks the
// probe's matrixSDTable; every answer updates or appends one row; ten seconds after a
// walk ends the next one starts.
#include "hostapi/ksmem32.h"
#include "table/ksc_table.h"
#include "view/matrix_view.h"

#include <string.h>
#include <string>

namespace {

// Buffer sizes of the host-database reads.
constexpr int kKeyValueSize = 1024;
constexpr int kCellValueSize = 5120;
constexpr int kObjectIdSize = 1024;
constexpr int kNodeNameSize = 2048;
// A name is matched against this many characters of an address cell.
constexpr int kAddressCompareSize = 128;

// Variable positions of the answer and the cells they fill.
constexpr int kIndexPosition = 1;
constexpr int kSourcePosition = 2;
constexpr int kDestinationPosition = 3;
constexpr int kFirstCounterPosition = 4;

constexpr int kVariablesTable = 3;

// Reads the value of one variable of an answer; the text is always terminated.
void ReadVariable(DbHandle answer, int position, char* buffer, int size) {
    DbSetInt(answer, FLD_VAR_INDEX, position);
    DbGetText(answer, FLD_VAR_VALUE, buffer, size);
}

// The start of a cell as a buffer of `size` bytes would hold it.
std::string CellPrefix(const KSCTable& table, int row, int column, int size) {
    std::string text = table.Model().GetCellText(row, column);
    if (text.size() >= static_cast<size_t>(size)) {
        text.resize(static_cast<size_t>(size) - 1);
    }
    return text;
}

// A conversation is known by the part of its cells that the lookup reads of an answer.
// The cells keep longer texts (an agent may answer a 2,000-byte "address"); comparing
// them whole with the shorter key would never match, and such a conversation would get
// a new row on every walk. Texts that agree over the key's length are one conversation.
std::string CellKey(const KSCTable& table, int row, int column) {
    return CellPrefix(table, row, column, kKeyValueSize);
}

// Whether the start of a cell that a buffer of `size` bytes holds equals the text, letter
// case aside; a cell that fits is compared where it is stored, without a copy.
bool CellPrefixEquals(KSCTable& table, int row, int column, int size, const char* text) {
    TableRow* stored = nullptr;
    if (!table.Model().GetRowPtr(row, &stored)) {
        return false;
    }
    if (stored->GetCellLength(column) < static_cast<size_t>(size)) {
        return lstrcmpi(stored->GetCellText(column), text) == 0;
    }
    return lstrcmpi(CellPrefix(table, row, column, size).c_str(), text) == 0;
}

} // namespace

void CMatrixView::ChangeNode(uint32_t nodeId) {
    m_nodeId = nodeId;
    if (m_table != nullptr) {
        m_table->Model().DeleteAllRows();
    }
    m_rowIndex.Clear();
    SyncHostScrollBars(TRUE);
    SetTargetNode(nodeId);
    ReadDeviceName();
    RefreshWalk();
}

// The node's display name from the host's node table, or "Unknown Device".
void CMatrixView::ReadDeviceName() {
    m_deviceName = Localize("Unknown Device");
    if (GetNodeTable() == 0) {
        return;
    }
    DbLockTable(GetNodeTable(), DB_LOCK_READ);
    const DbHandle record = DbFindRecord(GetNodeTable(), GetTargetNode());
    if (record != 0) {
        char name[kNodeNameSize] = "";
        DbGetText(record, FLD_NAME, name, sizeof name);
        if (name[0] != '\0') {
            m_deviceName = name;
        }
    }
    DbUnlockTable(GetNodeTable(), DB_LOCK_READ);
}

void CMatrixView::RefreshWalk() {
    KillTimer(REFRESH_TIMER);
    ClearOids();
    ResolveColumnOids();
    StartWalk("");
}

// A column name missing from the variables table is skipped, so the later columns
// move up one variable position.
void CMatrixView::ResolveColumnOids() {
    const DbHandle variables = DbOpenTable(GetConnection(), kVariablesTable);
    if (variables == 0) {
        return;
    }
    DbLockTable(variables, DB_LOCK_READ);
    int position = 1;
    for (int column = 0; column < m_columnCount; ++column) {
        const char* name = m_columnObjects[column];
        const DbHandle record =
            DbFindRecordByText(variables, FLD_NAME, name, static_cast<int>(strlen(name)));
        if (record == 0) {
            continue;
        }
        char oid[kObjectIdSize] = "";
        DbGetText(record, FLD_VAR_DEF_OID, oid, sizeof oid);
        SetOid(position++, oid);
    }
    DbUnlockTable(variables, DB_LOCK_READ);
}

// One answer is one conversation. Rows are only appended or updated: a conversation
// the probe stops reporting keeps its last values until the next node change, since a
// walk that ends early on an error must not empty the table for ten seconds.
int CMatrixView::OnWalkRow(DbHandle answer) {
    if (m_table == nullptr) {
        return TRUE;
    }
    char index[kKeyValueSize];
    char source[kKeyValueSize];
    char destination[kKeyValueSize];
    ReadVariable(answer, kIndexPosition, index, sizeof index);
    ReadVariable(answer, kSourcePosition, source, sizeof source);
    ReadVariable(answer, kDestinationPosition, destination, sizeof destination);
    // The Index column keeps a number as it formats it: an agent that answers an index
    // that is no plain number ("65 32 01") is found again by what the cell holds ("65").
    const std::string storedIndex = m_table->Model().StoredText(COL_INDEX, index);

    int row = FindMatrixRow(storedIndex.c_str(), source, destination);
    const bool isNew = row == -1;
    if (isNew) {
        row = AppendConversation(answer, index);
        m_rowIndex.Add(storedIndex.c_str(), source, destination);
    }
    StoreCounters(answer, row);
    if (isNew) {
        RequestName(source, row);
        RequestName(destination, row);
    }
    return TRUE;
}

// Appends a row and fills its index, names and addresses; the names start as the
// addresses. Returns the new row.
int CMatrixView::AppendConversation(DbHandle answer, const char* index) {
    const int row = m_table->Model().InsertRow(m_table->Model().GetRowCount(), index, 0, FALSE);
    char text[kCellValueSize];
    ReadVariable(answer, kIndexPosition, text, sizeof text);
    m_table->Model().SetRowText(row, text, COL_INDEX, 0, FALSE);
    ReadVariable(answer, kSourcePosition, text, sizeof text);
    m_table->Model().SetRowText(row, text, COL_SOURCE_NAME, 0, FALSE);
    m_table->Model().SetRowText(row, text, COL_SOURCE_ADDRESS, 0, FALSE);
    ReadVariable(answer, kDestinationPosition, text, sizeof text);
    m_table->Model().SetRowText(row, text, COL_DESTINATION_NAME, 0, FALSE);
    m_table->Model().SetRowText(row, text, COL_DESTINATION_ADDRESS, 0, FALSE);
    return row;
}

// Variable positions 4 and up are the counters, stored from column 5 on.
void CMatrixView::StoreCounters(DbHandle answer, int row) {
    char text[kCellValueSize];
    for (int position = kFirstCounterPosition; position <= m_columnCount; ++position) {
        ReadVariable(answer, position, text, sizeof text);
        m_table->Model().SetRowText(row, text, position + 1, 0, FALSE);
    }
}

void CMatrixView::RequestName(const char* address, int row) {
    char scratch[CONVERT_SCRATCH_SIZE];
    m_host.ConvertAddress(CONVERT_REQUEST, &m_conversionSlot, address, scratch, row);
}

// The first row whose index, source address and destination address equal the texts,
// letter case aside; -1 if none. The index answers without a scan; it is rebuilt from
// the table when the table changed behind it (rows deleted or emptied elsewhere).
int CMatrixView::FindMatrixRow(const char* index, const char* source, const char* destination) {
    if (m_table == nullptr) {
        return -1;
    }
    if (m_rowIndex.RowCount() != m_table->Model().GetRowCount()) {
        RebuildRowIndex();
    }
    auto holds = [this, index, source, destination](int row) {
        return RowHoldsConversation(row, index, source, destination) != FALSE;
    };
    bool stale = false;
    const int row = m_rowIndex.Find(index, source, destination, holds, stale);
    if (!stale) {
        return row;
    }
    RebuildRowIndex();
    return m_rowIndex.Find(index, source, destination, holds, stale);
}

BOOL CMatrixView::RowHoldsConversation(int row, const char* index, const char* source,
                                       const char* destination) const {
    return CellPrefixEquals(*m_table, row, COL_INDEX, kKeyValueSize, index) &&
           CellPrefixEquals(*m_table, row, COL_SOURCE_ADDRESS, kKeyValueSize, source) &&
           CellPrefixEquals(*m_table, row, COL_DESTINATION_ADDRESS, kKeyValueSize, destination);
}

void CMatrixView::RebuildRowIndex() {
    m_rowIndex.Clear();
    const int count = m_table->Model().GetRowCount();
    for (int row = 0; row < count; ++row) {
        m_rowIndex.Add(CellKey(*m_table, row, COL_INDEX).c_str(),
                       CellKey(*m_table, row, COL_SOURCE_ADDRESS).c_str(),
                       CellKey(*m_table, row, COL_DESTINATION_ADDRESS).c_str());
    }
}

void CMatrixView::OnWalkDone(const char*) {
    if (IsWindowObject(m_table)) {
        m_table->Invalidate(TRUE);
    }
    SetTimer(REFRESH_TIMER, REFRESH_INTERVAL);
}

void CMatrixView::OnTimer(UINT id) {
    KillTimer(id);
    if (GetTargetNode() != 0) {
        RefreshWalk();
    }
    CWnd::OnTimer(id);
}

// Puts the name into the visible cell of each address of the row that still holds
// it; both cells when source and destination are the same address.
void CMatrixView::OnNameConverted(const char* address, const char* name, intptr_t row) {
    if (row < 0 || m_table == nullptr || row >= m_table->Model().GetRowCount()) {
        return;
    }
    const int tableRow = static_cast<int>(row);
    const bool source =
        PutNameIfAddress(tableRow, COL_SOURCE_ADDRESS, COL_SOURCE_NAME, address, name);
    const bool destination =
        PutNameIfAddress(tableRow, COL_DESTINATION_ADDRESS, COL_DESTINATION_NAME, address, name);
    // Names come one answer at a time; the table's coalesced redraw shows them within
    // 25 ms instead of at the end of the next walk, and a burst of answers costs one paint.
    if (source || destination) {
        m_table->Redraw(REDRAW_LAYOUT | REDRAW_PAINT);
    }
}

bool CMatrixView::PutNameIfAddress(int row, int addressColumn, int nameColumn, const char* address,
                                   const char* name) {
    if (!CellPrefixEquals(*m_table, row, addressColumn, kAddressCompareSize, address)) {
        return false;
    }
    m_table->Model().SetRowText(row, name, nameColumn, 0, FALSE);
    return true;
}
