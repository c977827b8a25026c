// The codes the host database answers in its records: the syntax of a MIB variable, as
// table 3 keeps it in FLD_TYPE, and the request error codes of table 13's FLD_REQ_ERROR.
// The database, the graphs and the console read them here.
#pragma once

enum {
    KSDB_SYNTAX_NONE = 0, // tables, entries, groups: not a value
    KSDB_SYNTAX_INTEGER = 1,
    KSDB_SYNTAX_OCTET_STRING = 2, // printable text as text, else hexadecimal bytes
    KSDB_SYNTAX_DISPLAY_STRING = 3,
    KSDB_SYNTAX_ADDRESS = 4, // always hexadecimal bytes: "00 A0 C9 12 34 56"
    KSDB_SYNTAX_OBJECT_ID = 5,
    KSDB_SYNTAX_COUNTER32 = 6,
    KSDB_SYNTAX_GAUGE32 = 7,
    KSDB_SYNTAX_TIME_TICKS = 8,
    KSDB_SYNTAX_IP_ADDRESS = 9,
    KSDB_SYNTAX_COUNTER64 = 10,
};

// FLD_REQ_ERROR: 0 none; 1-18 the SNMP error status of the answer (tooBig ... inconsistentName);
// above them the failures that have no error status of their own.
enum {
    KSDB_ERR_TOO_BIG = 1,           // tooBig: the answer would not fit the agent's message
    KSDB_ERR_TIMEOUT = 101,         // no answer after every retry
    KSDB_ERR_UNREACHABLE = 102,     // unknown node, bad address, or the request could not be sent
    KSDB_ERR_END_OF_MIB_VIEW = 103, // a variable answered endOfMibView
    KSDB_ERR_NO_SUCH_OBJECT = 104,  // a variable answered noSuchObject or noSuchInstance
    KSDB_ERR_NOT_INCREASING = 105,  // get-next answered an identifier not after the requested one
    KSDB_ERR_BAD_REQUEST = 106,     // no variables, an unreadable identifier or a set value
    // An SNMPv3 agent's report refusing the request, by the usmStats counter it carries.
    KSDB_ERR_UNSUPPORTED_SEC_LEVEL = 107, // the user may not use this security level
    KSDB_ERR_NOT_IN_TIME_WINDOW = 108,
    KSDB_ERR_UNKNOWN_USER = 109,
    KSDB_ERR_UNKNOWN_ENGINE_ID = 110,
    KSDB_ERR_WRONG_DIGEST = 111, // wrong authentication key or protocol
    KSDB_ERR_DECRYPTION = 112,   // wrong privacy key or protocol
    KSDB_ERR_REPORT = 113,       // any other report
};
