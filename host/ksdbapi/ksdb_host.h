// The host's side of the database library: what the console, tests and benchmarks call
// and the plug-in never does.
//
// Host context: DbConnect's first argument. 0 is the default host; any other value is the
// id the console gives one of its database instances (one per console window). All
// contexts share the tables; the context only groups connections, so that the host can
// end those of one instance (EndConnections) and leave the others running.
#pragma once

#include "host/ksdbapi/graph_definition.h"
#include "host/ksdbapi/record.h"
#include "host/ksdbapi/transport.h"
#include "hostapi/ksdb_codes.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ksdb {

// Replaces the nodes of table 1 by those of a nodes file (format: data/nodes). Without
// this call the library reads $TESSARAN_NODES, else the source tree's data/nodes, when
// the first connection is made. False if the file cannot be read (nothing changes).
bool LoadNodes(const std::string& path);
std::vector<NodeConfig> Nodes();
// The lines the last nodes file read refused, "PATH:LINE: reason" each ("PATH: cannot be
// read" for a file that is not there); the nodes of the other lines are in table 1.
std::vector<std::string> NodesFileErrors();

// The transport of every later request; null goes back to net-snmp behind the get-bulk
// read-ahead (the default).
// Requests in flight are dropped without an answer.
void SetTransport(std::unique_ptr<Transport> transport);

// Ends every connection of one host context, or all of them: each registered
// DbNotifyProc hears event 5 once (table 0, record id 0), after its handles died.
void EndConnections(uintptr_t hostContext);
void EndAllConnections();

// What the database saw of one node's requests. A walk is a get-next request posted with
// the start instances of its variables and posted again with each answer; it ends with the
// answer whose first variable has left its requested column, or with an error status. A
// walk that its poster abandons (frees the record, or posts it afresh) does not end here.
// Error statuses are those of FLD_REQ_ERROR: an SNMP error status, or a KSDB_ERR_ value.
struct WalkSummary {
    std::chrono::system_clock::time_point endedAt; // epoch while none ended
    std::chrono::milliseconds took{0};             // first post to last answer
    int rows = 0;                                  // answers inside the column
    int status = 0;                                // 0 when it left the column
};
struct NodeActivity {
    int walksEnded = 0; // since the database started
    WalkSummary lastWalk;
    // The last walk that began at the start of its columns (empty start instances): a whole
    // table, as a view reads it, unlike walks that start inside a table.
    WalkSummary lastTableWalk;
    // Rows of the last whole-table walk that reached the end of its column, or of the
    // agent's MIB (endOfMibView; noSuchName from a v1 agent): the conversations a view shows.
    int tableRows = 0;
    int lastError = 0;                                 // of any request; 0: none yet
    std::chrono::system_clock::time_point lastErrorAt; // epoch while none
    // The first time-out or unreachable failure since the node last answered (with values
    // or an error status); epoch while it answers.
    std::chrono::system_clock::time_point silentSince;
};
// Whether a walk that ended with this status reached the end of its column or of the
// agent's MIB (0, endOfMibView, or noSuchName: how a v1 agent answers past its last object).
bool WalkReachedEnd(int status);
// The text of an error status: the SNMP name of 1-18 ("noSuchName"), "time-out",
// "unreachable", ... for the KSDB_ERR_ values; "" for 0.
std::string ErrorText(int status);
// The record of one node (table 1 id); all zero for a node never asked.
NodeActivity ActivityOf(uint32_t node);

// Handles alive in the database, for leak checks: what a client opened and has not yet
// closed or freed, and the records the tables hold.
struct LiveHandles {
    size_t connections = 0;
    size_t views = 0;
    size_t records = 0;
};
LiveHandles CountLiveHandles();

// The posted graph records (table 12) in id order; valid until the next database call.
std::vector<const Record*> GraphRecords();

// The graph engine the host registered: it sees a graph record (table 12) the first time
// it is posted, inside DbPostRecord, and answers the handle of the graph window it made
// (0: none), which FLD_GRAPH_WINDOW then holds before DbPostRecord returns. Without an
// engine a graph record is stored all the same, with window 0. Null removes the engine.
using GraphEngineHook = std::function<uint32_t(const GraphDefinition& graph)>;
void SetGraphEngine(GraphEngineHook engine);

// The calls a refusal hook may make fail, as the database fails them when it runs out of
// handles or rejects a record: they return 0 and change nothing.
enum class RefusableCall { Connect, OpenTable, NewRecord, FindRecord, PostRecord };
// Asked at the start of each of those calls with the call and its table (DB_TABLE_*; 0 for
// Connect); true refuses it. Lets a client's tests take its failure paths against the
// real database; null (the default) refuses nothing.
using RefusalHook = std::function<bool(RefusableCall call, int table)>;
void SetRefusalHook(RefusalHook hook);

// A fresh database: no connections, no posted records, tables reloaded on first use,
// the default transport. For tests.
void ResetDatabase();

} // namespace ksdb
