#include "host/ksdbapi/read_ahead_transport.h"

#include "hostapi/ksdbapi.h"

#include <algorithm>
#include <iterator>

namespace ksdb {
namespace {

bool SameNames(const std::vector<SnmpVarBind>& a, const std::vector<SnmpVarBind>& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](const SnmpVarBind& x, const SnmpVarBind& y) { return x.name == y.name; });
}

// What get-next of `asked` would answer: a later identifier with a value, or endOfMibView
// under the same name.
bool Follows(const SnmpVarBind& asked, const SnmpVarBind& next) {
    if (next.value.type == kAsnEndOfMibView) {
        return next.name == asked.name;
    }
    return !next.value.IsException() && asked.name < next.name;
}

bool RowFollows(const std::vector<SnmpVarBind>& asked, const std::vector<SnmpVarBind>& next) {
    for (size_t column = 0; column < asked.size(); ++column) {
        if (!Follows(asked[column], next[column])) {
            return false;
        }
    }
    return true;
}

// Every variable at the end of the MIB view: the walk cannot go on from here.
bool AtEnd(const std::vector<SnmpVarBind>& row) {
    return std::all_of(row.begin(), row.end(),
                       [](const SnmpVarBind& var) { return var.value.type == kAsnEndOfMibView; });
}

} // namespace

ReadAheadTransport::ReadAheadTransport(std::unique_ptr<Transport> inner)
    : m_inner(std::move(inner)) {}

int ReadAheadTransport::RepetitionsFor(uint32_t node) const {
    auto it = m_nodes.find(node);
    return it == m_nodes.end() ? kFirstRepetitions : it->second.repetitions;
}

void ReadAheadTransport::Send(uint64_t ticket, const NodeConfig& node, const SnmpRequest& request,
                              AnswerSink& sink) {
    if (request.kind != DB_REQ_GET_NEXT || node.version == 0 || !node.readAhead) {
        m_inner->Send(ticket, node, request, sink);
        return;
    }
    NodeState& state = m_nodes[node.id];
    SnmpAnswer answer;
    Continue pipeline;
    if (AnswerFromBlocks(state, request.vars, answer, &pipeline)) {
        ++m_answeredAhead;
        sink.OnAnswer(ticket, std::move(answer));
        if (!pipeline.from.empty()) {
            Pipeline(node, std::move(pipeline));
        }
        return;
    }
    if (WaitForPipeline(ticket, node, request, sink)) {
        return;
    }
    const bool continues = state.lastReadDepth >= 0 && SameNames(state.lastRead, request.vars);
    Flight& flight = m_flights[ticket] =
        Flight{&sink, node, request, RepetitionsOf(state, request.vars.size()),
               continues ? state.lastReadDepth + 1 : 0};
    SendBulk(ticket, flight);
}

void ReadAheadTransport::Cancel(uint64_t ticket) {
    auto waiting = m_waiting.find(ticket);
    if (waiting != m_waiting.end()) {
        auto flight = m_flights.find(waiting->second);
        if (flight != m_flights.end()) {
            flight->second.sink = nullptr;
            flight->second.waiting = 0;
        }
        m_waiting.erase(waiting);
        return;
    }
    m_flights.erase(ticket);
    m_inner->Cancel(ticket);
}

int ReadAheadTransport::RepetitionsOf(const NodeState& state, size_t width) const {
    return std::min(state.repetitions, std::max(1, kMaxVarBinds / int(width)));
}

// A walk that asks from the row a pipelined get-bulk was sent from waits for its answer
// instead of asking the same again.
bool ReadAheadTransport::WaitForPipeline(uint64_t ticket, const NodeConfig& node,
                                         const SnmpRequest& request, AnswerSink& sink) {
    for (auto& [pipelined, flight] : m_flights) {
        if (pipelined >= kPipelineTickets && flight.waiting == 0 && flight.node.id == node.id &&
            SameNames(flight.request.vars, request.vars)) {
            flight.sink = &sink;
            flight.waiting = ticket;
            m_waiting[ticket] = pipelined;
            return true;
        }
    }
    return false;
}

void ReadAheadTransport::Pipeline(const NodeConfig& node, Continue from) {
    const uint64_t ticket = m_nextPipelineTicket++;
    SnmpRequest request{DB_REQ_GET_NEXT, std::move(from.from), 0};
    const int repetitions = RepetitionsOf(m_nodes[node.id], request.vars.size());
    Flight& flight = m_flights[ticket] =
        Flight{nullptr, node, std::move(request), repetitions, from.depth};
    SendBulk(ticket, flight);
}

// Finds a kept row whose names are the request's and answers with the row after it. Any
// walk of the same width may be answered from any block: the conversation window walks one
// column from many instances at once, and one walk's read-ahead covers the rows of the
// next. A request that continues no kept row drops nothing; blocks age out, and a block
// is dropped once a walk has read its last row.
bool ReadAheadTransport::AnswerFromBlocks(NodeState& state, const Row& request, SnmpAnswer& answer,
                                          Continue* pipeline) {
    Clock::time_point oldest = Clock::now() - std::chrono::milliseconds(kMaxAgeMs);
    std::erase_if(state.blocks, [oldest](const Block& block) { return block.taken < oldest; });
    for (auto it = state.blocks.begin(); it != state.blocks.end();) {
        std::vector<Row>& rows = it->rows;
        auto row = rows.front().size() != request.size()
                       ? rows.end()
                       : std::find_if(rows.begin(), rows.end(), [&request](const Row& kept) {
                             return SameNames(kept, request);
                         });
        if (row == rows.end()) {
            ++it;
            continue;
        }
        auto next = row + 1;
        if (next == rows.end()) {
            // Its last row: a pipelined block may start from it.
            it = state.blocks.erase(it);
            continue;
        }
        if (!RowFollows(*row, *next)) {
            state.blocks.erase(it);
            return false;
        }
        answer.status = 0;
        if (pipeline && it->whole && !it->pipelined && it->depth >= 1 && !AtEnd(rows.back())) {
            it->pipelined = true;
            *pipeline = Continue{rows.back(), it->depth + 1};
        }
        if (next + 1 == rows.end() || AtEnd(*next)) {
            // The block goes: its row moves into the answer.
            state.lastRead = *next;
            state.lastReadDepth = it->whole ? it->depth : -1;
            answer.vars = std::move(*next);
            state.blocks.erase(it);
            return true;
        }
        answer.vars = *next; // kept: another walk may ask from the same row
        return true;
    }
    return false;
}

void ReadAheadTransport::SendBulk(uint64_t ticket, const Flight& flight) {
    SnmpRequest bulk{kReqGetBulk, flight.request.vars, flight.repetitions};
    NodeConfig node = flight.node; // the flight may end inside Send
    m_inner->Send(ticket, node, bulk, *this);
}

void ReadAheadTransport::OnAnswer(uint64_t ticket, SnmpAnswer answer) {
    auto it = m_flights.find(ticket);
    if (it == m_flights.end()) {
        return;
    }
    Flight& flight = it->second;
    if (ticket >= kPipelineTickets) {
        Flight done = std::move(flight);
        m_flights.erase(it);
        OnPipelined(done, answer);
        return;
    }
    if (answer.status == kStatusTooBig && flight.repetitions > 1) {
        NodeState& state = m_nodes[flight.node.id];
        flight.repetitions = std::max(1, flight.repetitions / 2);
        state.repetitions = state.cap = flight.repetitions;
        SendBulk(ticket, flight);
        return;
    }
    Flight done = std::move(flight);
    m_flights.erase(it);
    bool tooBig = answer.status == kStatusTooBig;
    if (tooBig || (answer.status == 0 && answer.vars.size() < done.request.vars.size())) {
        // Not even one whole repetition fits: plain get-next answers this row.
        m_inner->Send(ticket, done.node, done.request, *done.sink);
        return;
    }
    if (answer.status == 0) {
        Absorb(done, answer);
    }
    done.sink->OnAnswer(ticket, std::move(answer));
}

// Keeps a pipelined answer as a block that starts from the row it was asked from; the walk
// waiting for it, if any, is answered from it, or asks on its own when it cannot be.
void ReadAheadTransport::OnPipelined(Flight& flight, SnmpAnswer& answer) {
    const size_t width = flight.request.vars.size();
    if (answer.status == 0 && answer.vars.size() >= width) {
        answer.vars.insert(answer.vars.begin(), flight.request.vars.begin(),
                           flight.request.vars.end());
        Absorb(flight, answer);
    }
    if (flight.waiting == 0) {
        return;
    }
    m_waiting.erase(flight.waiting);
    Send(flight.waiting, flight.node, flight.request, *flight.sink);
}

// Keeps the repetitions of a get-bulk answer, adapts max-repetitions to what came back and
// leaves the first repetition, the get-next answer, in `answer`.
void ReadAheadTransport::Absorb(Flight& flight, SnmpAnswer& answer) {
    NodeState& state = m_nodes[flight.node.id];
    size_t width = flight.request.vars.size();
    Block block;
    block.taken = Clock::now();
    block.depth = flight.depth;
    block.rows.reserve(answer.vars.size() / width);
    for (size_t start = 0; start + width <= answer.vars.size(); start += width) {
        block.rows.emplace_back(std::make_move_iterator(answer.vars.begin() + long(start)),
                                std::make_move_iterator(answer.vars.begin() + long(start + width)));
    }
    const bool pipelined = flight.sink == nullptr || flight.waiting != 0;
    int count = int(block.rows.size()) - (pipelined ? 1 : 0);
    block.whole = count >= flight.repetitions;
    if (count >= flight.repetitions) {
        state.repetitions = std::min(state.cap, flight.repetitions * 2);
    } else if (!AtEnd(block.rows.back())) {
        state.repetitions = state.cap = count; // the agent's message size holds no more
    }
    answer.vars = block.rows.front();
    if (block.rows.size() < 2 || AtEnd(block.rows.front())) {
        return;
    }
    state.blocks.push_back(std::move(block));
    if (state.blocks.size() > kMaxBlocksPerNode) {
        state.blocks.pop_front();
    }
}

} // namespace ksdb
