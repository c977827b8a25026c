#include "tests/walker/fake_db.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace fakedb {
namespace {

State g_state;

std::vector<uint32_t> ParseOid(const std::string& text) {
    std::vector<uint32_t> parts;
    const char* p = text.c_str();
    while (*p != '\0') {
        if (*p == '.') {
            ++p;
            continue;
        }
        char* end = nullptr;
        parts.push_back(static_cast<uint32_t>(strtoul(p, &end, 10)));
        if (end == p) {
            break;
        }
        p = end;
    }
    return parts;
}

std::string FormatOid(const std::vector<uint32_t>& parts) {
    std::string text;
    for (uint32_t part : parts) {
        text += (text.empty() ? "" : ".") + std::to_string(part);
    }
    return text;
}

Record* Find(DbHandle handle) {
    auto it = g_state.records.find(handle);
    return it == g_state.records.end() ? nullptr : &it->second;
}

Variable* Current(DbHandle handle) {
    Record* record = Find(handle);
    if (record == nullptr || record->cursor < 1) {
        return nullptr;
    }
    if (record->vars.size() < static_cast<size_t>(record->cursor)) {
        record->vars.resize(static_cast<size_t>(record->cursor));
    }
    return &record->vars[static_cast<size_t>(record->cursor) - 1];
}

// Get-next of one variable; false past the end of the MIB.
bool AnswerVariable(Variable& var) {
    auto next = g_state.mib.upper_bound(ParseOid(var.oid + var.instance));
    if (next == g_state.mib.end()) {
        return false;
    }
    var.name = FormatOid(next->first);
    var.value = next->second;
    const bool inColumn = var.name.compare(0, var.oid.size(), var.oid) == 0;
    var.instance = inColumn ? var.name.substr(var.oid.size()) : "." + var.name;
    return true;
}

void Answer(Record& record) {
    int32_t error = g_state.errorOnNextAnswer;
    g_state.errorOnNextAnswer = 0;
    for (Variable& var : record.vars) {
        if (error == 0 && !AnswerVariable(var)) {
            error = 2; // noSuchName, as an SNMPv1 agent ends a walk
        }
    }
    record.ints[FLD_REQ_ERROR] = error;
}

DbHandle ConnectionOf(DbHandle table) {
    return table / 100;
}

} // namespace

State& Fake() {
    return g_state;
}

void Reset() {
    g_state = State();
}

void AddObject(const std::string& oid, const std::string& value) {
    g_state.mib[ParseOid(oid)] = value;
}

bool DeliverNext() {
    while (!g_state.answerQueue.empty()) {
        const DbHandle handle = g_state.answerQueue.front();
        g_state.answerQueue.pop_front();
        Record* record = Find(handle);
        if (record == nullptr) {
            continue; // freed while in flight: no answer
        }
        Answer(*record);
        const auto connection = g_state.connections.find(ConnectionOf(record->table));
        if (connection == g_state.connections.end()) {
            continue;
        }
        connection->second.first(connection->second.second, DB_TABLE_REQUESTS, DB_EVENT_ANSWERED,
                                 record->id);
        return true;
    }
    return false;
}

int DeliverAll(int bound) {
    int count = 0;
    while (count < bound && DeliverNext()) {
        ++count;
    }
    return count;
}

void Broadcast(int table, int event, uint32_t recordId) {
    const auto connections = g_state.connections;
    for (const auto& [handle, proc] : connections) {
        proc.first(proc.second, table, event, recordId);
    }
}

} // namespace fakedb

using fakedb::g_state;

extern "C" {

DbHandle DbConnect(uintptr_t, DbNotifyProc proc, uintptr_t userDatum) {
    if (g_state.failConnect) {
        return 0;
    }
    const DbHandle connection = g_state.nextHandle++;
    g_state.connections[connection] = {proc, userDatum};
    return connection;
}

void DbDisconnect(DbHandle connection) {
    g_state.connections.erase(connection);
    g_state.disconnected.push_back(connection);
}

DbHandle DbOpenTable(DbHandle connection, int table) {
    if (table == g_state.failTable || g_state.connections.count(connection) == 0) {
        return 0;
    }
    return connection * 100 + static_cast<DbHandle>(table);
}

int DbLockTable(DbHandle table, int mode) {
    if (mode == DB_LOCK_WRITE && table != 0) {
        ++g_state.writeLocks;
    }
    return table != 0;
}

int DbUnlockTable(DbHandle table, int mode) {
    if (mode == DB_LOCK_WRITE && table != 0 && --g_state.writeLocks < 0) {
        ++g_state.unbalancedUnlocks;
    }
    return table != 0;
}

DbHandle DbNewRecord(DbHandle table) {
    if (g_state.failNewRecord || table == 0) {
        return 0;
    }
    const DbHandle handle = g_state.nextHandle++;
    g_state.records[handle].table = table;
    return handle;
}

DbHandle DbFindRecord(DbHandle table, uint32_t recordId) {
    auto it = g_state.posted.find(recordId);
    if (g_state.failFind || table == 0 || it == g_state.posted.end() ||
        fakedb::Find(it->second) == nullptr) {
        return 0;
    }
    return it->second;
}

DbHandle DbFindRecordByText(DbHandle, uint32_t, const char*, int) {
    return 0;
}

int DbPostRecord(DbHandle handle) {
    fakedb::Record* record = fakedb::Find(handle);
    if (g_state.failPost || record == nullptr) {
        return 0;
    }
    if (record->id == 0) {
        record->id = g_state.nextId++;
        g_state.posted[record->id] = handle;
    }
    g_state.posts.push_back(*record);
    g_state.answerQueue.push_back(handle);
    return 1;
}

void DbFreeRecord(DbHandle handle) {
    g_state.records.erase(handle);
}

uint32_t DbGetRecordId(DbHandle handle) {
    const fakedb::Record* record = fakedb::Find(handle);
    return record == nullptr ? 0 : record->id;
}

int32_t DbGetInt(DbHandle handle, uint32_t field) {
    const fakedb::Record* record = fakedb::Find(handle);
    if (record == nullptr) {
        return 0;
    }
    if (field == FLD_VAR_INDEX) {
        return record->cursor;
    }
    const auto it = record->ints.find(field);
    return it == record->ints.end() ? 0 : it->second;
}

int32_t DbSetInt(DbHandle handle, uint32_t field, int32_t value) {
    fakedb::Record* record = fakedb::Find(handle);
    if (record == nullptr) {
        return 0;
    }
    if (field == FLD_VAR_INDEX) {
        record->cursor = value;
    } else {
        record->ints[field] = value;
    }
    return value;
}

char* DbGetText(DbHandle handle, uint32_t field, char* buffer, int size) {
    const fakedb::Variable* var = fakedb::Current(handle);
    std::string text;
    if (var != nullptr) {
        text = field == FLD_VAR_OID        ? var->oid
               : field == FLD_VAR_INSTANCE ? var->instance
               : field == FLD_VAR_NAME     ? var->name
               : field == FLD_VAR_VALUE    ? var->value
                                           : "";
    }
    if (size > 0) {
        snprintf(buffer, static_cast<size_t>(size), "%s", text.c_str());
    }
    return buffer;
}

void DbSetText(DbHandle handle, uint32_t field, const char* text, int length) {
    fakedb::Variable* var = fakedb::Current(handle);
    if (var == nullptr) {
        return;
    }
    const std::string value(text, static_cast<size_t>(length));
    if (field == FLD_VAR_OID) {
        var->oid = value;
    } else if (field == FLD_VAR_INSTANCE) {
        var->instance = value;
    }
}

} // extern "C"
