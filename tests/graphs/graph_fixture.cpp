#include "tests/graphs/graph_fixture.h"

#include "host/ksdbapi/oid_text.h"
#include "platform/core/timer_clock.h"
#include "platform/toolkit/platform_app.h"

#include <cmath>
#include <fstream>

namespace {

const ksdb::Oid kSysUpTime = {1, 3, 6, 1, 2, 1, 1, 3, 0};
const ksdb::Oid kMatrixSdEntry = {1, 3, 6, 1, 2, 1, 16, 6, 2, 1};

std::string Mac(int n) {
    return std::string("\x00\xA0\xC9\x00\x00", 5) + static_cast<char>(n);
}

std::string DottedMac(int n) {
    return "0.160.201.0.0." + std::to_string(n);
}

} // namespace

void GraphFixture::SetUp() {
    ksdb::ResetDatabase();
    const std::string nodes = testing::TempDir() + "graph_nodes";
    std::ofstream(nodes) << "1 agent 2c public 1000 1 Probe\n";
    ASSERT_TRUE(ksdb::LoadNodes(nodes));
    m_agent = std::make_shared<ksdb::MemoryAgent>();
    auto transport = std::make_unique<ksdb::MemoryTransport>();
    transport->AddAgent("agent", m_agent);
    transport->SetAnswerHook([this](const ksdb::NodeConfig& node, const ksdb::SnmpRequest& request,
                                    ksdb::SnmpAnswer& answer) {
        m_requests.push_back(request);
        if (m_fault) {
            m_fault(node, request, answer);
        }
    });
    ksdb::SetTransport(std::move(transport));
    SetUptime(m_uptime);
    m_engine = std::make_unique<GraphEngine>(kHostContext, kIntervalMs);
    m_engine->Install();
    ASSERT_TRUE(m_parent.CreateEx(0, nullptr, "graphs", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                  nullptr, nullptr));
}

void GraphFixture::TearDown() {
    if (IsWindow(m_parent.m_hWnd)) {
        m_parent.DestroyWindow();
    }
    PlatformApp::PumpMessages();
    m_engine.reset();
    ksdb::ResetDatabase();
}

std::string GraphFixture::Instance(int n) {
    return std::to_string(n) + ".6." + DottedMac(n) + ".6." + DottedMac(100 + n);
}

void GraphFixture::SetCounters(int n, uint32_t packets, uint32_t octets, uint32_t errors) {
    m_agent->AddConversation(n, Mac(n), Mac(100 + n), packets, octets, errors);
}

void GraphFixture::RemoveConversation(int n) {
    ksdb::Oid instance;
    ASSERT_TRUE(ksdb::ParseOid(Instance(n), instance));
    for (uint32_t column = 1; column <= 6; ++column) {
        ksdb::Oid name = kMatrixSdEntry;
        name.push_back(column);
        name.insert(name.end(), instance.begin(), instance.end());
        m_agent->Remove(name);
    }
}

void GraphFixture::SetUptime(uint32_t ticks) {
    m_uptime = ticks;
    m_agent->Set(kSysUpTime, ksdb::SnmpValue::Number(ksdb::kAsnTimeTicks, ticks));
}

HWND GraphFixture::PostGraph(const std::vector<SeriesSpec>& series, const std::string& title) {
    const DbHandle connection = DbConnect(0, nullptr, 0);
    const DbHandle graphs = DbOpenTable(connection, DB_TABLE_GRAPHS);
    DbLockTable(graphs, DB_LOCK_WRITE);
    const DbHandle record = DbNewRecord(graphs);
    DbSetInt(record, FLD_GRAPH_PARENT,
             static_cast<int32_t>(reinterpret_cast<uintptr_t>(m_parent.m_hWnd)));
    for (size_t k = 0; k < series.size(); ++k) {
        DbSetInt(record, FLD_GRAPH_OPTION, 1);
        DbSetInt(record, FLD_TYPE, 1);
        DbSetInt(record, FLD_SERIES_INDEX, static_cast<int32_t>(k));
        DbSetInt(record, FLD_SERIES_NODE, 1);
        DbSetInt(record, FLD_SERIES_CODE, 174);
        DbSetText(record, FLD_SERIES_INSTANCE, series[k].instance.c_str(), -1);
        DbSetInt(record, FLD_SERIES_ON, 1);
        DbSetText(record, FLD_SERIES_LEGEND, series[k].legend.c_str(), -1);
        DbSetText(record, FLD_SERIES_EXPRESSION, series[k].expression.c_str(), -1);
    }
    DbSetText(record, FLD_NAME, title.c_str(), -1);
    DbPostRecord(record);
    const int32_t window = DbGetInt(record, FLD_GRAPH_WINDOW);
    DbUnlockTable(graphs, DB_LOCK_WRITE);
    DbDisconnect(connection); // the posted record stays in the table
    PlatformApp::PumpMessages();
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
}

void GraphFixture::Tick(uint32_t ticks) {
    SetUptime(m_uptime + ticks);
    TimerClock::Advance(kIntervalMs);
    PlatformApp::PumpMessages();
}

std::vector<double> GraphFixture::Values(int series, size_t graph) const {
    std::vector<double> values;
    for (const GraphPoint& point : History(graph).Points(series)) {
        values.push_back(point.gap ? NAN : point.value);
    }
    return values;
}
