// The host's side of the database library: what the console, tests and benchmarks call
// and the plug-in never does.
//
// Host context: DbConnect's first argument. 0 is the default host; any other value is the
// id the console gives one of its database instances (one per console window). All
// contexts share the tables; the context only groups connections, so that the host can
// end those of one instance (EndConnections) and leave the others running.
#pragma once

#include "host/ksdbapi/memory_agent.h"
#include "host/ksdbapi/memory_transport.h"
#include "host/ksdbapi/mib_syntax.h"
#include "host/ksdbapi/record.h"
#include "host/ksdbapi/transport.h"

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

// The transport of every later request; null goes back to net-snmp behind the get-bulk
// read-ahead (the default).
// Requests in flight are dropped without an answer.
void SetTransport(std::unique_ptr<Transport> transport);

// Ends every connection of one host context, or all of them: each registered
// DbNotifyProc hears event 5 once (table 0, record id 0), after its handles died.
void EndConnections(uintptr_t hostContext);
void EndAllConnections();

// Sees every answered request record (table 13) just before its poster hears event 12;
// null removes the observer. The console counts finished walks with it.
void SetAnswerObserver(std::function<void(DbHandle record)> observer);

// The posted graph records (table 12) in id order; valid until the next database call.
std::vector<const Record*> GraphRecords();

// The graph engine the host registered: it sees a graph record (table 12) the first time
// it is posted, inside DbPostRecord, and answers the handle of the graph window it made
// (0: none), which FLD_GRAPH_WINDOW then holds before DbPostRecord returns. Without an
// engine a graph record is stored all the same, with window 0. Null removes the engine.
using GraphEngineHook = std::function<uint32_t(const Record& record)>;
void SetGraphEngine(GraphEngineHook engine);

// A fresh database: no connections, no posted records, tables reloaded on first use,
// the default transport. For tests.
void ResetDatabase();

} // namespace ksdb
