// A graph engine on a fresh host database whose node 1 is an in-memory agent, under the
// platform's manual clock: each Tick moves the agent's uptime and the clock by one poll
// interval, so every poll is sent and answered without sleeping.
#pragma once

#include "host/graphs/graph_engine.h"
#include "host/ksdbapi/ksdb_host.h"
#include "platform/framework/afx.h"
#include "tests/support/memory_transport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

struct SeriesSpec {
    std::string instance;
    std::string legend;
    std::string expression;
};

inline const char kUtilization[] = "100 * (800*{matrixSDOctets}/({$time}*10000000))";
inline const char kErrorRate[] = "({matrixSDErrors}/{matrixSDPkts})*100";
inline const char kBytes[] = "{matrixSDOctets}";
inline const char kPackets[] = "{matrixSDPkts}";
inline const char kErrors[] = "{matrixSDErrors}";

class GraphFixture : public testing::Test {
  protected:
    static constexpr uintptr_t kHostContext = 7;
    static constexpr UINT kIntervalMs = 5000;

    void SetUp() override;
    void TearDown() override;

    // Conversation n (1-based) of the agent: its RMON instance and its counters.
    static std::string Instance(int n);
    void SetCounters(int n, uint32_t packets, uint32_t octets, uint32_t errors);
    void RemoveConversation(int n);
    void SetUptime(uint32_t ticks);

    // Posts a graph record as a plug-in does; answers FLD_GRAPH_WINDOW.
    HWND PostGraph(const std::vector<SeriesSpec>& series, const std::string& title = "Graph");
    // Moves the agent's uptime on by `ticks` and the clock by one interval, then delivers
    // the answers.
    void Tick(uint32_t ticks = 500);

    const LiveGraph& Graph(size_t n = 0) const { return *m_engine->Graphs().at(n); }
    const GraphHistory& History(size_t n = 0) const { return Graph(n).History(); }
    // The values (gaps as NaN) of one series.
    std::vector<double> Values(int series, size_t graph = 0) const;

    std::shared_ptr<ksdb::MemoryAgent> m_agent;
    std::unique_ptr<GraphEngine> m_engine;
    CWnd m_parent;
    uint32_t m_uptime = 100000;
    // Every request the agent saw, and a fault the test may inject into answers.
    std::vector<ksdb::SnmpRequest> m_requests;
    ksdb::MemoryTransport::AnswerHook m_fault;
};
