// The points of a graph's series: per series, in time order, values and gaps (an interval
// that gave no value: time-out, agent restart, vanished instance, division by zero).
// Only the last hour is kept. Written as CSV: time, then one column per series.
#pragma once

#include <cstdint>
#include <deque>
#include <ostream>
#include <string>
#include <vector>

struct GraphPoint {
    int64_t timeMs = 0; // milliseconds since the epoch (UTC)
    double value = 0;
    uint32_t interval = 0; // the agent's interval behind the value, hundredths of a second
    bool gap = false;
};

class GraphHistory {
  public:
    static constexpr int64_t kKeptMs = 60 * 60 * 1000;

    explicit GraphHistory(std::vector<std::string> legends);

    int SeriesCount() const { return static_cast<int>(m_series.size()); }
    const std::string& Legend(int series) const { return m_legends[series]; }
    const std::deque<GraphPoint>& Points(int series) const { return m_series[series]; }
    // Values (gaps not counted) of the series.
    int ValueCount(int series) const;
    bool HasValues() const;

    void AddValue(int series, int64_t timeMs, double value, uint32_t interval);
    // An interval that gave no value: a point of its own, so that a series counts every
    // interval answered, with or without a value.
    void AddGap(int series, int64_t timeMs);
    // Drops every point older than an hour before nowMs.
    void Trim(int64_t nowMs);

    // "time,legend,..." then a line per poll time: ISO 8601 UTC time, then each series'
    // value at that time, empty for a gap or no point.
    void WriteCsv(std::ostream& out) const;

  private:
    std::vector<std::string> m_legends;
    std::vector<std::deque<GraphPoint>> m_series;
    std::vector<int> m_valueCounts;
};
