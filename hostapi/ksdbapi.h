// The host database library: connection, tables, records, fields and the
// notification callback. Implemented by libksdbapi (host/ksdbapi).
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Connections, tables and records are 32-bit handles; 0 means failure.
typedef uint32_t DbHandle;

// Called on the GUI thread, from the event loop; returns 1.
typedef int (*DbNotifyProc)(uintptr_t userDatum, int table, int event, uint32_t recordId);

// Table numbers.
enum {
    DB_TABLE_NODES = 1,
    DB_TABLE_MIB_VARIABLES = 3,
    DB_TABLE_GRAPHS = 12,
    DB_TABLE_REQUESTS = 13,
};

// Notification events.
enum {
    DB_EVENT_DISCONNECTED = 5, // the connection ended; its handles are dead
    DB_EVENT_ANSWERED = 12,    // table 13: the request record holds its answer
};

// Lock modes.
enum { DB_LOCK_READ = 0, DB_LOCK_WRITE = 1 };

// Request kinds (FLD_TYPE of table 13).
enum { DB_REQ_GET = 1, DB_REQ_GET_NEXT = 2, DB_REQ_SET = 3 };

// Field ids: bits 16-23 0x70; 14-15 kind (0 integer, 1 text, 2 object reference,
// 3 integer); 13 set; 8-12 table (0: all); 0-7 column.
#define FLD_TYPE 0x702001u
#define FLD_NAME 0x706002u
#define FLD_VAR_DEF_OID 0x706303u
#define FLD_REQ_TARGET 0x70ad06u
#define FLD_REQ_OPTION 0x702d14u
#define FLD_REQ_ERROR 0x702d08u
#define FLD_VAR_INDEX 0x702d0au
#define FLD_VAR_OID 0x706d0eu
#define FLD_VAR_INSTANCE 0x706d0cu
#define FLD_VAR_VALUE 0x706d11u
#define FLD_VAR_NAME 0x706d0bu

// Graph records (table 12).
#define FLD_GRAPH_PARENT 0x702c11u
#define FLD_GRAPH_OPTION 0x702c01u
#define FLD_SERIES_INDEX 0x702c04u
#define FLD_SERIES_NODE 0x70ac09u
#define FLD_SERIES_CODE 0x702c0du
#define FLD_SERIES_INSTANCE 0x706c0eu
#define FLD_SERIES_ON 0x702c12u
#define FLD_SERIES_LEGEND 0x706c15u
#define FLD_SERIES_EXPRESSION 0x706c0cu
#define FLD_GRAPH_WINDOW 0x70ec13u

DbHandle DbConnect(uintptr_t hostContext, DbNotifyProc proc, uintptr_t userDatum);
void DbDisconnect(DbHandle connection);
DbHandle DbOpenTable(DbHandle connection, int table);
int DbLockTable(DbHandle table, int mode);
int DbUnlockTable(DbHandle table, int mode);
DbHandle DbNewRecord(DbHandle table);
DbHandle DbFindRecord(DbHandle table, uint32_t recordId);
DbHandle DbFindRecordByText(DbHandle table, uint32_t field, const char* text, int length);
int DbPostRecord(DbHandle record);
void DbFreeRecord(DbHandle record);
uint32_t DbGetRecordId(DbHandle record);
int32_t DbGetInt(DbHandle record, uint32_t field);
char* DbGetText(DbHandle record, uint32_t field, char* buffer, int size);
int32_t DbSetInt(DbHandle record, uint32_t field, int32_t value);
void DbSetText(DbHandle record, uint32_t field, const char* text, int length);

#ifdef __cplusplus
}
#endif
