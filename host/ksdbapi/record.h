// One record of a host table: plain fields, and rows of fields selected by a cursor.
// FLD_VAR_INDEX selects row n (1-based); FLD_SERIES_INDEX selects series k (0-based),
// which is the same row k + 1, so a graph record's series 0 is its variable row 1.
#pragma once

#include "host/ksdbapi/snmp_value.h"
#include "hostapi/ksdbapi.h"

#include <string>
#include <string_view>
#include <vector>

namespace ksdb {

struct FieldValue {
    uint32_t field = 0;
    bool isText = false;
    int32_t number = 0;
    std::string text;
};

struct RecordRow {
    std::vector<FieldValue> fields;
    // The identifier answered for this row; a get-next posted again continues from it
    // unless FLD_VAR_OID or FLD_VAR_INSTANCE was written since.
    Oid answered;
    bool continueFromAnswer = false;
    // FLD_VAR_OID as an identifier, read once for the answers of a walk: columnRead is
    // cleared when FLD_VAR_OID is written, columnValid when it is no identifier.
    Oid column;
    bool columnRead = false;
    bool columnValid = false;
    // FLD_VAR_NAME and FLD_VAR_INSTANCE of the last answer, written as text when first read
    // or written: a walker reads them of its first variable only. The instance is the
    // arcs of `answered` after `column` when it lies in that column, else "".
    bool answerTextsPending = false;
    bool answeredInColumn = false;
};

class Record {
  public:
    explicit Record(int table) : m_table(table) {}

    int Table() const { return m_table; }
    uint32_t Id() const { return m_id; }
    void SetId(uint32_t id) { m_id = id; }

    // Fields by id. An integer read of a text field parses it; a text read of an integer
    // field prints it; a field never written reads 0 or "". A row field of a row that does
    // not exist reads the same; writing one creates that row and every row before it.
    int32_t GetInt(uint32_t field) const;
    std::string GetText(uint32_t field) const;
    // The text of a field written as text, without a copy; null for any other field.
    const std::string* TextRef(uint32_t field) const;
    int32_t SetInt(uint32_t field, int32_t value);
    void SetText(uint32_t field, std::string_view text);

    static bool IsRowField(uint32_t field);
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    RecordRow* Row(int row);             // 1-based; null if absent
    const RecordRow* Row(int row) const; // 1-based; null if absent
    RecordRow& MakeRow(int row);         // 1-based, row >= 1
    // Text of a row field without moving the cursor.
    std::string RowText(int row, uint32_t field) const;
    bool RowTextEmpty(int row, uint32_t field) const;
    void SetRowText(int row, uint32_t field, std::string_view text);
    // The text field of a row to write in place, emptied: answers rewrite the same fields
    // at every row of a walk, and keep their storage.
    std::string& RowTextToWrite(int row, uint32_t field);

    // Bookkeeping of the database: this record's handle, the connection that owns it
    // (0: the table owns it), and the request in flight (0: none).
    DbHandle m_handle = 0;
    DbHandle m_owner = 0;
    uint64_t m_ticket = 0;

    // A bound on rows, so that a stray cursor cannot allocate without end.
    static constexpr int kMaxRows = 4096;

    // Marks FLD_VAR_NAME and FLD_VAR_INSTANCE of a row as those of its answered identifier.
    void SetAnsweredTexts(int row, bool inColumn);

  private:
    bool CursorWritable() const;
    // The row's field, the answer's texts written first when it is one of them.
    const FieldValue* RowField(const RecordRow& row, uint32_t field) const;
    static void WriteAnsweredTexts(RecordRow& row);
    const FieldValue* Find(uint32_t field) const;
    FieldValue& Slot(uint32_t field);

    int m_table;
    uint32_t m_id = 0;
    int m_cursor = 1;
    std::vector<FieldValue> m_fields;
    std::vector<RecordRow> m_rows;
};

} // namespace ksdb
