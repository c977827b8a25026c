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
//
// A long walk is pipelined: once a walk has gone past the end of one whole answer, reading
// from the next one sends the get-bulk for the rows after it at once, so the agent works
// on the next answer while the walk consumes this one (one answer ahead, never more). A
// walk that reaches the last kept row while that get-bulk is out waits for its answer.
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

    // The repetitions of one get-bulk answer; rows[0] answered the get-next that asked it
    // (of a pipelined answer: the row it was asked from).
    struct Block {
        std::vector<Row> rows;
        Clock::time_point taken;
        int depth = 0;          // whole answers of the same walk before this one
        bool whole = false;     // as many repetitions as were asked: the walk may go on
        bool pipelined = false; // the get-bulk for the rows after it has been sent
    };
    struct NodeState {
        int repetitions = kFirstRepetitions;
        int cap = kMaxRepetitions; // what the agent's message size holds, once seen
        std::deque<Block> blocks;
        Row lastRead; // the last row of the block a walk last read to its end
        int lastReadDepth = -1;
    };
    // A get-bulk out; a pipelined one has no sink until a walk waits for it.
    struct Flight {
        AnswerSink* sink;
        NodeConfig node;
        SnmpRequest request; // the get-next it stands for
        int repetitions;
        int depth = 0;
        uint64_t waiting = 0; // of a pipelined get-bulk: the ticket of the walk waiting
    };
    struct Continue {
        Row from;
        int depth = 0;
    };

    void OnAnswer(uint64_t ticket, SnmpAnswer answer) override;
    bool AnswerFromBlocks(NodeState& state, const Row& request, SnmpAnswer& answer,
                          Continue* pipeline);
    bool WaitForPipeline(uint64_t ticket, const NodeConfig& node, const SnmpRequest& request,
                         AnswerSink& sink);
    void Pipeline(const NodeConfig& node, Continue from);
    void OnPipelined(Flight& flight, SnmpAnswer& answer);
    void SendBulk(uint64_t ticket, const Flight& flight);
    void Absorb(Flight& flight, SnmpAnswer& answer);
    int RepetitionsOf(const NodeState& state, size_t width) const;

    std::unique_ptr<Transport> m_inner;
    std::map<uint32_t, NodeState> m_nodes;
    std::map<uint64_t, Flight> m_flights;
    std::map<uint64_t, uint64_t> m_waiting; // a waiting walk's ticket: the get-bulk's
    uint64_t m_nextPipelineTicket = kPipelineTickets;
    uint64_t m_answeredAhead = 0;
    // Tickets of pipelined get-bulks, apart from the database's (which count from 1).
    static constexpr uint64_t kPipelineTickets = uint64_t{1} << 63;
};

} // namespace ksdb
