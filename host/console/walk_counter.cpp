#include "host/console/walk_counter.h"

#include "host/ksdbapi/ksdb_host.h"

#include <cstring>

namespace {
constexpr int OID_TEXT_SIZE = 256;
}

WalkCounter::WalkCounter() {
    ksdb::SetAnswerObserver([this](DbHandle record) { OnAnswer(record); });
}

WalkCounter::~WalkCounter() {
    ksdb::SetAnswerObserver(nullptr);
}

void WalkCounter::OnAnswer(DbHandle record) {
    if (DbGetInt(record, FLD_TYPE) != DB_REQ_GET_NEXT)
        return;
    if (DbGetInt(record, FLD_REQ_ERROR) != 0) {
        ++m_count;
        return;
    }
    char requested[OID_TEXT_SIZE] = "";
    char answered[OID_TEXT_SIZE] = "";
    DbSetInt(record, FLD_VAR_INDEX, 1);
    DbGetText(record, FLD_VAR_OID, requested, sizeof requested);
    DbGetText(record, FLD_VAR_NAME, answered, sizeof answered);
    if (std::strncmp(answered, requested, std::strlen(requested)) != 0)
        ++m_count;
}
