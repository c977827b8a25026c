// Get-bulk read-ahead behind get-next. A walk asks get-next of its columns one row at a
// time; to a v2c node this transport asks get-bulk (non-repeaters 0) of the same variables
// instead, answers with the first repetition, which is exactly the get-next answer, and
// keeps the rest: a following get-next whose variables are the names of one kept
// repetition is answered by the next repetition without a round trip.
//
// Max-repetitions adapts per node: it doubles while whole answers come back, drops to what
// came back when the agent's message size cut the answer short, and halves on tooBig; a
// request never asks more than kMaxVarBinds variables.
// Kept repetitions are dropped when a walk reaches their end or the end of the MIB view,
// and after kMaxAgeMs; a node keeps at most kMaxBlocksPerNode of them, the oldest go first.
// SNMPv1 nodes, and nodes whose read-ahead is switched off, keep plain get-next.
#pragma once

#include "host/ksdbapi/read_ahead_clock.h"
#include "host/ksdbapi/transport.h"

#include <chrono>
#include <deque>
#include <map>
#include <memory>

namespace ksdb {

class ReadAheadTransport : public Transport, private AnswerSink {
  public:
    static constexpr int kFirstRepetitions = 16;
    static constexpr int kMaxRepetitions = 64;
    // The most variables one get-bulk asks (repetitions times the walk's width, but at
    // least one repetition). Observed: snmpsimd 0.4.5 never answers a get-bulk of more
    // than its 64 response variables and stays busy with it for minutes. 64 variables
    // are about what snmpbulkwalk -Cr50 asks of one column.
    static constexpr int kMaxVarBinds = 64;
    // Kept repetitions live this long: a walk asks its next row at once, and older
    // counters would show the user a past the agent has moved on from.
    static constexpr int kMaxAgeMs = 1000;
    // Walks of one node at the same time: the conversation window runs one per ordered
    // pair of its hosts (90 for 10 hosts).
    static constexpr size_t kMaxBlocksPerNode = 256;

    explicit ReadAheadTransport(std::unique_ptr<Transport> inner);

    void Send(uint64_t ticket, const NodeConfig& node, const SnmpRequest& request,
              AnswerSink& sink) override;
    void Cancel(uint64_t ticket) override;

    // For tests and benchmarks: get-next answers given from kept repetitions, and the
    // max-repetitions the next get-bulk to a node would ask.
    uint64_t AnsweredAhead() const { return m_answeredAhead; }
    int RepetitionsFor(uint32_t node) const;

  private:
    using Row = std::vector<SnmpVarBind>;
    using Clock = ReadAheadClock;

    // The repetitions of one get-bulk answer; rows[0] answered the get-next that asked it.
    struct Block {
        std::vector<Row> rows;
        Clock::time_point taken;
    };
    struct NodeState {
        int repetitions = kFirstRepetitions;
        int cap = kMaxRepetitions; // what the agent's message size holds, once seen
        std::deque<Block> blocks;
    };
    struct Flight {
        AnswerSink* sink;
        NodeConfig node;
        SnmpRequest request; // the get-next it stands for
        int repetitions;
    };

    void OnAnswer(uint64_t ticket, SnmpAnswer answer) override;
    bool AnswerFromBlocks(NodeState& state, const Row& request, SnmpAnswer& answer);
    void SendBulk(uint64_t ticket, const Flight& flight);
    void Absorb(Flight& flight, SnmpAnswer& answer);

    std::unique_ptr<Transport> m_inner;
    std::map<uint32_t, NodeState> m_nodes;
    std::map<uint64_t, Flight> m_flights;
    uint64_t m_answeredAhead = 0;
};

} // namespace ksdb
