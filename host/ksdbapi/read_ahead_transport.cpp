#include "host/ksdbapi/read_ahead_transport.h"

#include "hostapi/ksdbapi.h"

#include <algorithm>

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
    if (AnswerFromBlocks(state, request.vars, answer)) {
        ++m_answeredAhead;
        sink.OnAnswer(ticket, std::move(answer));
        return;
    }
    int widest = std::max(1, kMaxVarBinds / int(request.vars.size()));
    Flight& flight = m_flights[ticket] =
        Flight{&sink, node, request, std::min(state.repetitions, widest)};
    SendBulk(ticket, flight);
}

void ReadAheadTransport::Cancel(uint64_t ticket) {
    m_flights.erase(ticket);
    m_inner->Cancel(ticket);
}

// Finds a kept row whose names are the request's and answers with the row after it. Any
// walk of the same width may be answered from any block: the conversation window walks one
// column from many instances at once, and one walk's read-ahead covers the rows of the
// next. A request that continues no kept row drops nothing; blocks age out, and a block
// is dropped once a walk has read its last row.
bool ReadAheadTransport::AnswerFromBlocks(NodeState& state, const Row& request,
                                          SnmpAnswer& answer) {
    Clock::time_point oldest = Clock::now() - std::chrono::milliseconds(kMaxAgeMs);
    std::erase_if(state.blocks, [oldest](const Block& block) { return block.taken < oldest; });
    for (auto it = state.blocks.begin(); it != state.blocks.end(); ++it) {
        std::vector<Row>& rows = it->rows;
        if (rows.front().size() != request.size()) {
            continue;
        }
        auto row = std::find_if(rows.begin(), rows.end(),
                                [&request](const Row& kept) { return SameNames(kept, request); });
        if (row == rows.end()) {
            continue;
        }
        auto next = row + 1;
        if (next == rows.end() || !RowFollows(*row, *next)) {
            state.blocks.erase(it);
            return false;
        }
        answer.status = 0;
        answer.vars = *next;
        if (next + 1 == rows.end() || AtEnd(*next)) {
            state.blocks.erase(it);
        }
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

// Keeps the repetitions of a get-bulk answer, adapts max-repetitions to what came back and
// leaves the first repetition, the get-next answer, in `answer`.
void ReadAheadTransport::Absorb(Flight& flight, SnmpAnswer& answer) {
    NodeState& state = m_nodes[flight.node.id];
    size_t width = flight.request.vars.size();
    Block block;
    block.taken = Clock::now();
    for (size_t start = 0; start + width <= answer.vars.size(); start += width) {
        block.rows.emplace_back(answer.vars.begin() + long(start),
                                answer.vars.begin() + long(start + width));
    }
    int count = int(block.rows.size());
    if (count >= flight.repetitions) {
        state.repetitions = std::min(state.cap, flight.repetitions * 2);
    } else if (!AtEnd(block.rows.back())) {
        state.repetitions = state.cap = count; // the agent's message size holds no more
    }
    answer.vars = block.rows.front();
    if (count < 2 || AtEnd(block.rows.front())) {
        return;
    }
    state.blocks.push_back(std::move(block));
    if (state.blocks.size() > kMaxBlocksPerNode) {
        state.blocks.pop_front();
    }
}

} // namespace ksdb
