#include "host/ksdbapi/mib_variables.h"

#include "hostapi/ksdb_codes.h"

namespace ksdb {

// Syntax from RFC 2819: matrixSD/DS addresses are OCTET STRINGs holding MAC addresses,
// the index an Integer32, the counts Counter32; OwnerString is a DisplayString and
// EntryStatus an INTEGER.
const std::vector<MibVariable>& StandardMibVariables() {
    static const std::vector<MibVariable> variables = {
        {"mib-2", "1.3.6.1.2.1", KSDB_SYNTAX_NONE},
        {"system", "1.3.6.1.2.1.1", KSDB_SYNTAX_NONE},
        {"sysDescr", "1.3.6.1.2.1.1.1", KSDB_SYNTAX_DISPLAY_STRING},
        {"sysObjectID", "1.3.6.1.2.1.1.2", KSDB_SYNTAX_OBJECT_ID},
        {"sysUpTime", "1.3.6.1.2.1.1.3", KSDB_SYNTAX_TIME_TICKS},
        {"sysContact", "1.3.6.1.2.1.1.4", KSDB_SYNTAX_DISPLAY_STRING},
        {"sysName", "1.3.6.1.2.1.1.5", KSDB_SYNTAX_DISPLAY_STRING},
        {"sysLocation", "1.3.6.1.2.1.1.6", KSDB_SYNTAX_DISPLAY_STRING},
        {"sysServices", "1.3.6.1.2.1.1.7", KSDB_SYNTAX_INTEGER},
        {"rmon", "1.3.6.1.2.1.16", KSDB_SYNTAX_NONE},
        {"matrix", "1.3.6.1.2.1.16.6", KSDB_SYNTAX_NONE},
        {"matrixControlTable", "1.3.6.1.2.1.16.6.1", KSDB_SYNTAX_NONE},
        {"matrixControlEntry", "1.3.6.1.2.1.16.6.1.1", KSDB_SYNTAX_NONE},
        {"matrixControlIndex", "1.3.6.1.2.1.16.6.1.1.1", KSDB_SYNTAX_INTEGER},
        {"matrixControlDataSource", "1.3.6.1.2.1.16.6.1.1.2", KSDB_SYNTAX_OBJECT_ID},
        {"matrixControlTableSize", "1.3.6.1.2.1.16.6.1.1.3", KSDB_SYNTAX_INTEGER},
        {"matrixControlLastDeleteTime", "1.3.6.1.2.1.16.6.1.1.4", KSDB_SYNTAX_TIME_TICKS},
        {"matrixControlOwner", "1.3.6.1.2.1.16.6.1.1.5", KSDB_SYNTAX_DISPLAY_STRING},
        {"matrixControlStatus", "1.3.6.1.2.1.16.6.1.1.6", KSDB_SYNTAX_INTEGER},
        {"matrixSDTable", "1.3.6.1.2.1.16.6.2", KSDB_SYNTAX_NONE},
        {"matrixSDEntry", "1.3.6.1.2.1.16.6.2.1", KSDB_SYNTAX_NONE},
        {"matrixSDSourceAddress", "1.3.6.1.2.1.16.6.2.1.1", KSDB_SYNTAX_ADDRESS},
        {"matrixSDDestAddress", "1.3.6.1.2.1.16.6.2.1.2", KSDB_SYNTAX_ADDRESS},
        {"matrixSDIndex", "1.3.6.1.2.1.16.6.2.1.3", KSDB_SYNTAX_INTEGER},
        {"matrixSDPkts", "1.3.6.1.2.1.16.6.2.1.4", KSDB_SYNTAX_COUNTER32},
        {"matrixSDOctets", "1.3.6.1.2.1.16.6.2.1.5", KSDB_SYNTAX_COUNTER32},
        {"matrixSDErrors", "1.3.6.1.2.1.16.6.2.1.6", KSDB_SYNTAX_COUNTER32},
        {"matrixDSTable", "1.3.6.1.2.1.16.6.3", KSDB_SYNTAX_NONE},
        {"matrixDSEntry", "1.3.6.1.2.1.16.6.3.1", KSDB_SYNTAX_NONE},
        {"matrixDSSourceAddress", "1.3.6.1.2.1.16.6.3.1.1", KSDB_SYNTAX_ADDRESS},
        {"matrixDSDestAddress", "1.3.6.1.2.1.16.6.3.1.2", KSDB_SYNTAX_ADDRESS},
        {"matrixDSIndex", "1.3.6.1.2.1.16.6.3.1.3", KSDB_SYNTAX_INTEGER},
        {"matrixDSPkts", "1.3.6.1.2.1.16.6.3.1.4", KSDB_SYNTAX_COUNTER32},
        {"matrixDSOctets", "1.3.6.1.2.1.16.6.3.1.5", KSDB_SYNTAX_COUNTER32},
        {"matrixDSErrors", "1.3.6.1.2.1.16.6.3.1.6", KSDB_SYNTAX_COUNTER32},
    };
    return variables;
}

} // namespace ksdb
