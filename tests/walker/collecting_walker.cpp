#include "tests/walker/collecting_walker.h"

#include "platform/platform_app.h"

#include <string.h>

const char* const kMatrixColumnNames[6] = {"matrixSDIndex",       "matrixSDSourceAddress",
                                           "matrixSDDestAddress", "matrixSDOctets",
                                           "matrixSDPkts",        "matrixSDErrors"};

std::ostream& operator<<(std::ostream& out, const WalkedRow& row) {
    out << row.instance << " {";
    for (const std::string& value : row.values) {
        out << " '" << value << "'";
    }
    return out << " }";
}

std::vector<std::string> AnswerValues(DbHandle answer, size_t count) {
    std::vector<std::string> values;
    for (size_t i = 1; i <= count; ++i) {
        char text[256] = "";
        DbSetInt(answer, FLD_VAR_INDEX, static_cast<int32_t>(i));
        DbGetText(answer, FLD_VAR_VALUE, text, sizeof text);
        values.push_back(text);
    }
    return values;
}

int CollectingWalker::OnWalkRow(DbHandle answer) {
    char instance[256] = "";
    DbSetInt(answer, FLD_VAR_INDEX, 1);
    DbGetText(answer, FLD_VAR_INSTANCE, instance, sizeof instance);
    rows.push_back({instance, AnswerValues(answer, m_columnList.size())});
    return 1;
}

void CollectingWalker::OnWalkDone(const char* lastInstance) {
    done.push_back(lastInstance);
    PlatformApp::Quit();
}

bool CollectingWalker::SetColumnsByName(const char* const* names, size_t count) {
    const DbHandle variables = DbOpenTable(m_connection, DB_TABLE_MIB_VARIABLES);
    ClearOids();
    DbLockTable(variables, DB_LOCK_READ);
    bool found = variables != 0;
    for (size_t i = 0; found && i < count; ++i) {
        const DbHandle record =
            DbFindRecordByText(variables, FLD_NAME, names[i], static_cast<int>(strlen(names[i])));
        char oid[256] = "";
        found = record != 0 && DbGetText(record, FLD_VAR_DEF_OID, oid, sizeof oid) != nullptr;
        SetOid(static_cast<int>(i + 1), oid);
    }
    DbUnlockTable(variables, DB_LOCK_READ);
    return found;
}

void CollectingWalker::WalkAndWait(const char* startInstance) {
    const size_t before = done.size();
    StartWalk(startInstance);
    if (done.size() == before) {
        PlatformApp::Run();
    }
}
