#include "host/ksdbapi/record.h"

#include "common/number_text.h"
#include "host/ksdbapi/oid_text.h"

#include <algorithm>

namespace ksdb {
namespace {

const uint32_t kRowFields[] = {
    FLD_VAR_OID,     FLD_VAR_INSTANCE,    FLD_VAR_VALUE, FLD_VAR_NAME,      FLD_SERIES_NODE,
    FLD_SERIES_CODE, FLD_SERIES_INSTANCE, FLD_SERIES_ON, FLD_SERIES_LEGEND, FLD_SERIES_EXPRESSION,
};

FieldValue* FindIn(std::vector<FieldValue>& fields, uint32_t field) {
    auto it = std::find_if(fields.begin(), fields.end(),
                           [field](const FieldValue& value) { return value.field == field; });
    return it == fields.end() ? nullptr : &*it;
}

const FieldValue* FindIn(const std::vector<FieldValue>& fields, uint32_t field) {
    return FindIn(const_cast<std::vector<FieldValue>&>(fields), field);
}

FieldValue& SlotIn(std::vector<FieldValue>& fields, uint32_t field) {
    if (FieldValue* value = FindIn(fields, field)) {
        return *value;
    }
    fields.push_back({field, false, 0, {}});
    return fields.back();
}

int32_t IntOf(const FieldValue* value) {
    if (!value) {
        return 0;
    }
    if (!value->isText) {
        return value->number;
    }
    // A text that is not wholly one 32-bit integer reads as 0, as an absent field does.
    int32_t number = 0;
    return ParseWholeInteger(value->text, number) == NumberError::kNone ? number : 0;
}

std::string TextOf(const FieldValue* value) {
    if (!value) {
        return {};
    }
    return value->isText ? value->text : std::to_string(value->number);
}

void StoreText(FieldValue& value, std::string_view text) {
    value.isText = true;
    value.number = 0;
    value.text.assign(text);
}

void StoreInt(FieldValue& value, int32_t number) {
    value.isText = false;
    value.number = number;
    value.text.clear();
}

} // namespace

bool Record::IsRowField(uint32_t field) {
    return std::find(std::begin(kRowFields), std::end(kRowFields), field) != std::end(kRowFields);
}

bool Record::CursorWritable() const {
    return m_cursor >= 1 && m_cursor <= kMaxRows;
}

RecordRow* Record::Row(int row) {
    return row >= 1 && row <= RowCount() ? &m_rows[row - 1] : nullptr;
}

const RecordRow* Record::Row(int row) const {
    return const_cast<Record*>(this)->Row(row);
}

RecordRow& Record::MakeRow(int row) {
    if (row > RowCount()) {
        m_rows.resize(row);
    }
    return m_rows[row - 1];
}

const FieldValue* Record::Find(uint32_t field) const {
    if (!IsRowField(field)) {
        return FindIn(m_fields, field);
    }
    const RecordRow* row = Row(m_cursor);
    return row ? RowField(*row, field) : nullptr;
}

// Const as a read: the texts written are those the answer gave.
const FieldValue* Record::RowField(const RecordRow& row, uint32_t field) const {
    if (row.answerTextsPending && (field == FLD_VAR_NAME || field == FLD_VAR_INSTANCE)) {
        WriteAnsweredTexts(const_cast<RecordRow&>(row));
    }
    return FindIn(row.fields, field);
}

void Record::SetAnsweredTexts(int row, bool inColumn) {
    RecordRow& fields = MakeRow(row);
    fields.answerTextsPending = true;
    fields.answeredInColumn = inColumn;
}

void Record::WriteAnsweredTexts(RecordRow& row) {
    row.answerTextsPending = false;
    FieldValue& name = SlotIn(row.fields, FLD_VAR_NAME);
    StoreText(name, "");
    AppendArcs(name.text, row.answered, 0);
    name.text.erase(0, name.text.empty() ? 0 : 1);
    FieldValue& instance = SlotIn(row.fields, FLD_VAR_INSTANCE);
    StoreText(instance, "");
    if (row.answeredInColumn) {
        AppendArcs(instance.text, row.answered, row.column.size());
    }
}

// The slot a write goes to; callers have checked CursorWritable for row fields.
FieldValue& Record::Slot(uint32_t field) {
    if (!IsRowField(field)) {
        return SlotIn(m_fields, field);
    }
    RecordRow& row = MakeRow(m_cursor);
    if (row.answerTextsPending && (field == FLD_VAR_NAME || field == FLD_VAR_INSTANCE)) {
        WriteAnsweredTexts(row);
    }
    if (field == FLD_VAR_OID || field == FLD_VAR_INSTANCE) {
        row.continueFromAnswer = false;
    }
    if (field == FLD_VAR_OID) {
        row.columnRead = false;
    }
    return SlotIn(row.fields, field);
}

int32_t Record::GetInt(uint32_t field) const {
    if (field == FLD_VAR_INDEX) {
        return m_cursor;
    }
    if (field == FLD_SERIES_INDEX) {
        return m_cursor - 1;
    }
    return IntOf(Find(field));
}

std::string Record::GetText(uint32_t field) const {
    if (field == FLD_VAR_INDEX || field == FLD_SERIES_INDEX) {
        return std::to_string(GetInt(field));
    }
    return TextOf(Find(field));
}

const std::string* Record::TextRef(uint32_t field) const {
    if (field == FLD_VAR_INDEX || field == FLD_SERIES_INDEX) {
        return nullptr;
    }
    const FieldValue* value = Find(field);
    return value && value->isText ? &value->text : nullptr;
}

// Returns the value written; a row field written while the cursor selects no row
// (FLD_VAR_INDEX below 1 or above kMaxRows) is dropped and answers 0.
int32_t Record::SetInt(uint32_t field, int32_t value) {
    if (field == FLD_VAR_INDEX || field == FLD_SERIES_INDEX) {
        m_cursor = field == FLD_SERIES_INDEX ? value + 1 : value;
        return value;
    }
    if (IsRowField(field) && !CursorWritable()) {
        return 0;
    }
    StoreInt(Slot(field), value);
    return value;
}

void Record::SetText(uint32_t field, std::string_view text) {
    if (field == FLD_VAR_INDEX || field == FLD_SERIES_INDEX) {
        // A text that is no row number selects no row (0).
        int32_t number = 0;
        SetInt(field, ParseWholeInteger(text, number) == NumberError::kNone ? number : 0);
        return;
    }
    if (IsRowField(field) && !CursorWritable()) {
        return;
    }
    StoreText(Slot(field), text);
}

std::string Record::RowText(int row, uint32_t field) const {
    const RecordRow* at = Row(row);
    return at ? TextOf(RowField(*at, field)) : std::string();
}

bool Record::RowTextEmpty(int row, uint32_t field) const {
    const RecordRow* at = Row(row);
    const FieldValue* value = at ? RowField(*at, field) : nullptr;
    return !value || (value->isText && value->text.empty());
}

void Record::SetRowText(int row, uint32_t field, std::string_view text) {
    RecordRow& at = MakeRow(row);
    if (at.answerTextsPending && (field == FLD_VAR_NAME || field == FLD_VAR_INSTANCE)) {
        WriteAnsweredTexts(at);
    }
    StoreText(SlotIn(at.fields, field), text);
}

std::string& Record::RowTextToWrite(int row, uint32_t field) {
    RecordRow& at = MakeRow(row);
    if (at.answerTextsPending && (field == FLD_VAR_NAME || field == FLD_VAR_INSTANCE)) {
        WriteAnsweredTexts(at);
    }
    FieldValue& value = SlotIn(at.fields, field);
    value.isText = true;
    value.number = 0;
    value.text.clear();
    return value.text;
}

} // namespace ksdb
