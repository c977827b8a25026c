// What the database itself saw of the walks and errors of each node, kept for the host
// (script mode waits on it, a status line shows it). A walk is a get-next request posted
// with its variables' start instances and posted again with each answer; it ends with the
// answer whose first variable has left its requested column, or with an error status.
// A walk its poster abandons (freed, or posted afresh) never ends here.
#pragma once

#include "host/ksdbapi/ksdb_host.h"

#include <chrono>
#include <map>

namespace ksdb {

class WalkLog {
  public:
    // A request record was posted to a node; fresh is false when it continues from its
    // answers, fromStart true when its first variable starts at the beginning of its column.
    void OnPosted(DbHandle record, uint32_t node, bool getNext, bool fresh, bool fromStart);
    // Its answer was written into the record.
    void OnAnswered(DbHandle record, uint32_t node, int status, bool leftColumn);
    // The node's SNMPv3 engine was found restarted before an answer.
    void OnEngineRestarted(uint32_t node);
    // The record is gone; a walk it carried is forgotten.
    void Forget(DbHandle record) { m_walks.erase(record); }
    // When the walk the record carries started; the clock's earliest time when it carries
    // none.
    std::chrono::steady_clock::time_point StartOf(DbHandle record) const;

    NodeActivity Of(uint32_t node) const;

  private:
    struct Walk {
        std::chrono::steady_clock::time_point start;
        int rows;
        bool wholeTable;
    };

    static void NoteAnswer(NodeActivity& activity, int status);

    std::map<DbHandle, Walk> m_walks;
    std::map<uint32_t, NodeActivity> m_nodes;
};

} // namespace ksdb
