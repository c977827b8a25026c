// Polls a graph's series through the host database, the way any client of it does: a get
// request record in table 13 per node, carrying sysUpTime.0 and every variable that the
// series' expressions name at the series' instances (each once). The answer comes back
// from the event loop (event 12), so nothing waits for the agent.
//
// All variables of a node go in one request unless the agent answers tooBig: then the
// series are split over more requests, half as large each time, and the poll is sent
// again at once. Every request carries sysUpTime.0, so each series' interval is measured
// by the answer that brought its counters.
#pragma once

#include "host/graphs/series_sampler.h"
#include "hostapi/ksdbapi.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class GraphPoller {
  public:
    struct Series {
        uint32_t node = 0;
        std::string instance;
        std::vector<std::string> columns; // names of MIB variables (table 3)
    };
    // A series' sample, or null when the poll brought none for it (time-out, error
    // status, a vanished instance).
    using SampleSink = std::function<void(int series, const SeriesSample* sample)>;

    // sink hears each series of an answered request, then answered once.
    GraphPoller(uintptr_t hostContext, std::vector<Series> series, SampleSink sink,
                std::function<void()> answered);
    ~GraphPoller();
    GraphPoller(const GraphPoller&) = delete;
    GraphPoller& operator=(const GraphPoller&) = delete;

    // The syntax of each column of a series (KSDB_SYNTAX_), empty when a name is not in
    // table 3: such a series is never polled.
    const std::vector<int>& Syntaxes(int series) const { return m_resolved[series].syntaxes; }
    // Sends the next poll; false (nothing sent) while the last one is still out or the
    // database ended the connection.
    bool Poll();
    int RequestCount() const { return static_cast<int>(m_requests.size()); }

  private:
    struct Resolved {
        std::vector<std::string> oids; // dotted, no leading dot
        std::vector<int> syntaxes;
    };
    struct Variable {
        std::string oid;
        std::string instance;
    };
    // One request: the variables of some series of one node, sysUpTime.0 first.
    struct Request {
        uint32_t node = 0;
        DbHandle record = 0;
        bool inFlight = false;
        std::vector<Variable> variables;
        std::vector<int> series;
        std::vector<std::vector<int>> rows; // per series, the row of each of its columns
    };

    static int Notify(uintptr_t datum, int table, int event, uint32_t recordId);
    void Resolve();
    bool ResolveName(const std::string& name, std::string& oid, int& syntax) const;
    void BuildRequests();
    void AddSeries(Request& request, int series);
    void FreeRequests();
    bool Send(Request& request);
    void OnAnswer(uint32_t recordId);
    void Deliver(Request& request);
    void Split(Request& request);
    // False unless the row's value is wholly an unsigned decimal number ("-1" is not).
    bool ReadNumber(DbHandle record, int row, uint64_t& value) const;

    std::vector<Series> m_series;
    SampleSink m_sink;
    std::function<void()> m_answered;
    std::vector<Resolved> m_resolved;
    std::string m_uptimeOid;
    DbHandle m_connection = 0;
    DbHandle m_requestTable = 0;
    std::vector<Request> m_requests;
    size_t m_maxVariables = 0; // 0: no limit known yet
};
