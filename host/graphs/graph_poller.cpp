#include "host/graphs/graph_poller.h"

#include "common/number_text.h"
#include "common/trace.h"
#include "host/ksdbapi/ksdb_host.h"
#include "hostapi/ksdb_codes.h"

#include <algorithm>

namespace {

const char kUptimeName[] = "sysUpTime";
const char kUptimeInstance[] = "0";
constexpr int kValueTextSize = 64;

// A request answered without error, or with some variables answered noSuchInstance
// (a conversation that vanished): its other variables still hold good values.
bool HasValues(int status) {
    return status == 0 || status == KSDB_ERR_NO_SUCH_OBJECT;
}

// "sample of series 2 from node 1: uptime 4200, values 17 3", or "no sample (time-out)".
void TraceSample(uint32_t node, int series, const SeriesSample* sample, int status) {
    std::string text =
        "sample of series " + std::to_string(series) + " from node " + std::to_string(node) + ": ";
    if (sample == nullptr) {
        text += "none (" +
                (status == 0 ? std::string("a value is not a number") : ksdb::ErrorText(status)) +
                ")";
    } else {
        text += "uptime " + std::to_string(sample->uptime) + ", values";
        for (uint64_t value : sample->values) {
            text += " " + std::to_string(value);
        }
    }
    TraceLine(TraceChannel::kGraph, text);
}

} // namespace

GraphPoller::GraphPoller(uintptr_t hostContext, std::vector<Series> series, SampleSink sink,
                         std::function<void()> answered)
    : m_series(std::move(series)), m_sink(std::move(sink)), m_answered(std::move(answered)),
      m_resolved(m_series.size()) {
    m_connection = DbConnect(hostContext, &GraphPoller::Notify, reinterpret_cast<uintptr_t>(this));
    m_requestTable = DbOpenTable(m_connection, DB_TABLE_REQUESTS);
    Resolve();
    BuildRequests();
}

GraphPoller::~GraphPoller() {
    DbDisconnect(m_connection); // frees the request records; no answer follows
}

int GraphPoller::Notify(uintptr_t datum, int table, int event, uint32_t recordId) {
    auto* poller = reinterpret_cast<GraphPoller*>(datum);
    if (event == DB_EVENT_DISCONNECTED) {
        poller->m_connection = 0;
        poller->m_requests.clear();
    } else if (table == DB_TABLE_REQUESTS && event == DB_EVENT_ANSWERED) {
        poller->OnAnswer(recordId);
    }
    return 1;
}

bool GraphPoller::ResolveName(const std::string& name, std::string& oid, int& syntax) const {
    const DbHandle variables = DbOpenTable(m_connection, DB_TABLE_MIB_VARIABLES);
    if (!DbLockTable(variables, DB_LOCK_READ)) {
        return false;
    }
    const DbHandle record =
        DbFindRecordByText(variables, FLD_NAME, name.c_str(), static_cast<int>(name.size()));
    char text[256] = "";
    DbGetText(record, FLD_VAR_DEF_OID, text, sizeof text);
    syntax = DbGetInt(record, FLD_TYPE);
    DbUnlockTable(variables, DB_LOCK_READ);
    oid = text;
    return record && !oid.empty();
}

void GraphPoller::Resolve() {
    int syntax = 0;
    if (!ResolveName(kUptimeName, m_uptimeOid, syntax)) {
        return;
    }
    for (size_t series = 0; series < m_series.size(); ++series) {
        Resolved resolved;
        for (const std::string& name : m_series[series].columns) {
            std::string oid;
            if (!ResolveName(name, oid, syntax)) {
                break;
            }
            resolved.oids.push_back(oid);
            resolved.syntaxes.push_back(syntax);
        }
        if (!m_series[series].columns.empty() &&
            resolved.oids.size() == m_series[series].columns.size()) {
            m_resolved[series] = std::move(resolved);
        }
    }
}

// Series in order, grouped by node; a request is closed when the next series would take
// it over the agent's limit (a series never spans two requests).
void GraphPoller::BuildRequests() {
    FreeRequests();
    for (size_t series = 0; series < m_series.size(); ++series) {
        if (m_resolved[series].oids.empty()) {
            continue;
        }
        const uint32_t node = m_series[series].node;
        auto open = std::find_if(m_requests.rbegin(), m_requests.rend(),
                                 [node](const Request& r) { return r.node == node; });
        const size_t needed = m_resolved[series].oids.size();
        if (open == m_requests.rend() ||
            (m_maxVariables && open->variables.size() + needed > m_maxVariables)) {
            Request request;
            request.node = node;
            request.variables.push_back({m_uptimeOid, kUptimeInstance});
            m_requests.push_back(std::move(request));
            open = m_requests.rbegin();
        }
        AddSeries(*open, static_cast<int>(series));
    }
}

void GraphPoller::AddSeries(Request& request, int series) {
    std::vector<int> rows;
    for (const std::string& oid : m_resolved[series].oids) {
        const Variable variable{oid, m_series[series].instance};
        auto it = std::find_if(request.variables.begin(), request.variables.end(),
                               [&](const Variable& v) {
                                   return v.oid == variable.oid && v.instance == variable.instance;
                               });
        if (it == request.variables.end()) {
            it = request.variables.insert(request.variables.end(), variable);
        }
        rows.push_back(static_cast<int>(it - request.variables.begin()) + 1);
    }
    request.series.push_back(series);
    request.rows.push_back(std::move(rows));
}

void GraphPoller::FreeRequests() {
    for (Request& request : m_requests) {
        DbFreeRecord(request.record);
    }
    m_requests.clear();
}

bool GraphPoller::Poll() {
    if (!m_connection || m_requests.empty()) {
        return false;
    }
    for (const Request& request : m_requests) {
        if (request.inFlight) {
            return false;
        }
    }
    bool sent = false;
    for (Request& request : m_requests) {
        sent = Send(request) || sent;
    }
    return sent;
}

bool GraphPoller::Send(Request& request) {
    if (!DbLockTable(m_requestTable, DB_LOCK_WRITE)) {
        return false;
    }
    if (!request.record) {
        request.record = DbNewRecord(m_requestTable);
    }
    const DbHandle record = request.record;
    DbSetInt(record, FLD_TYPE, DB_REQ_GET);
    DbSetInt(record, FLD_REQ_TARGET, static_cast<int32_t>(request.node));
    DbSetInt(record, FLD_REQ_OPTION, 2);
    for (size_t row = 0; row < request.variables.size(); ++row) {
        const Variable& variable = request.variables[row];
        DbSetInt(record, FLD_VAR_INDEX, static_cast<int32_t>(row) + 1);
        DbSetText(record, FLD_VAR_OID, variable.oid.c_str(), -1);
        DbSetText(record, FLD_VAR_INSTANCE, variable.instance.c_str(), -1);
    }
    request.inFlight = DbPostRecord(record) != 0;
    DbUnlockTable(m_requestTable, DB_LOCK_WRITE);
    if (TraceOn(TraceChannel::kGraph)) {
        TraceLine(TraceChannel::kGraph, "poll of node " + std::to_string(request.node) + ": " +
                                            std::to_string(request.series.size()) + " series, " +
                                            std::to_string(request.variables.size()) +
                                            " variables" +
                                            (request.inFlight ? "" : ", not posted"));
    }
    return request.inFlight;
}

void GraphPoller::OnAnswer(uint32_t recordId) {
    for (Request& request : m_requests) {
        if (request.inFlight && DbGetRecordId(request.record) == recordId) {
            request.inFlight = false;
            Deliver(request);
            return;
        }
    }
}

bool GraphPoller::ReadNumber(DbHandle record, int row, uint64_t& value) const {
    char text[kValueTextSize] = "";
    DbSetInt(record, FLD_VAR_INDEX, row);
    DbGetText(record, FLD_VAR_VALUE, text, sizeof text);
    return ParseWholeInteger(text, value) == NumberError::kNone;
}

void GraphPoller::Deliver(Request& request) {
    const int status = DbGetInt(request.record, FLD_REQ_ERROR);
    if (status == KSDB_ERR_TOO_BIG && request.series.size() > 1) {
        Split(request);
        return;
    }
    SeriesSample sample;
    uint64_t uptime = 0;
    const bool answered = HasValues(status) && ReadNumber(request.record, 1, uptime);
    sample.uptime = static_cast<uint32_t>(uptime);
    for (size_t i = 0; i < request.series.size(); ++i) {
        const std::vector<int>& rows = request.rows[i];
        sample.values.assign(rows.size(), 0);
        bool complete = answered;
        for (size_t column = 0; complete && column < rows.size(); ++column) {
            complete = ReadNumber(request.record, rows[column], sample.values[column]);
        }
        if (TraceOn(TraceChannel::kGraph)) {
            TraceSample(request.node, request.series[i], complete ? &sample : nullptr, status);
        }
        m_sink(request.series[i], complete ? &sample : nullptr);
    }
    m_answered();
}

// The agent could not answer this many variables in one PDU: requests from now on take
// at most half as many, and the poll goes out again at once.
void GraphPoller::Split(Request& request) {
    m_maxVariables = std::max<size_t>(2, (request.variables.size() + 1) / 2);
    BuildRequests();
    Poll();
}
