// The C interface of the host database: each operation resolves its handles through the
// one database instance and answers the failure value (0, or nothing) for a bad one.
#include "hostapi/ksdbapi.h"

#include "host/ksdbapi/database.h"

#include <cstring>
#include <string_view>

using ksdb::Database;

namespace {

// A length below 0 means the text runs to its NUL.
std::string_view TextOf(const char* text, int length) {
    if (!text) {
        return {};
    }
    return length < 0 ? std::string_view(text) : std::string_view(text, length);
}

} // namespace

extern "C" {

DbHandle DbConnect(uintptr_t hostContext, DbNotifyProc proc, uintptr_t userDatum) {
    return Database::Instance().Connect(hostContext, proc, userDatum);
}

void DbDisconnect(DbHandle connection) {
    Database::Instance().Disconnect(connection);
}

DbHandle DbOpenTable(DbHandle connection, int table) {
    return Database::Instance().OpenTable(connection, table);
}

int DbLockTable(DbHandle table, int mode) {
    return Database::Instance().LockTable(table, mode);
}

int DbUnlockTable(DbHandle table, int mode) {
    return Database::Instance().UnlockTable(table, mode);
}

DbHandle DbNewRecord(DbHandle table) {
    return Database::Instance().NewRecord(table);
}

DbHandle DbFindRecord(DbHandle table, uint32_t recordId) {
    return Database::Instance().FindRecord(table, recordId);
}

DbHandle DbFindRecordByText(DbHandle table, uint32_t field, const char* text, int length) {
    return Database::Instance().FindRecordByText(table, field, TextOf(text, length));
}

int DbPostRecord(DbHandle record) {
    return Database::Instance().PostRecord(record);
}

void DbFreeRecord(DbHandle record) {
    Database::Instance().FreeRecord(record);
}

uint32_t DbGetRecordId(DbHandle record) {
    const ksdb::Record* found = Database::Instance().RecordOf(record);
    return found ? found->Id() : 0;
}

int32_t DbGetInt(DbHandle record, uint32_t field) {
    const ksdb::Record* found = Database::Instance().RecordOf(record);
    return found ? found->GetInt(field) : 0;
}

// The text is cut to size - 1 bytes and always terminated; a bad record gives "".
char* DbGetText(DbHandle record, uint32_t field, char* buffer, int size) {
    if (!buffer || size <= 0) {
        return buffer;
    }
    const ksdb::Record* found = Database::Instance().RecordOf(record);
    // Walks read every value of every answer: a text field is copied once, straight out.
    const std::string* stored = found ? found->TextRef(field) : nullptr;
    std::string printed = found && !stored ? found->GetText(field) : std::string();
    const std::string& text = stored ? *stored : printed;
    size_t length = std::min(text.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return buffer;
}

// Answers the value written, 0 for a bad record.
int32_t DbSetInt(DbHandle record, uint32_t field, int32_t value) {
    ksdb::Record* found = Database::Instance().RecordOf(record);
    return found ? found->SetInt(field, value) : 0;
}

void DbSetText(DbHandle record, uint32_t field, const char* text, int length) {
    if (ksdb::Record* found = Database::Instance().RecordOf(record)) {
        found->SetText(field, TextOf(text, length));
    }
}

} // extern "C"
