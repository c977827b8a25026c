#include "host/graphs/graph_history.h"

#include <QDateTime>

#include <algorithm>
#include <map>

namespace {

// A legend with a comma or quote is quoted, its quotes doubled.
std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string IsoTime(int64_t timeMs) {
    return QDateTime::fromMSecsSinceEpoch(timeMs, Qt::UTC)
        .toString(Qt::ISODateWithMs)
        .toStdString();
}

} // namespace

GraphHistory::GraphHistory(std::vector<std::string> legends)
    : m_legends(std::move(legends)), m_series(m_legends.size()),
      m_valueCounts(m_legends.size(), 0) {}

int GraphHistory::ValueCount(int series) const {
    return m_valueCounts[series];
}

bool GraphHistory::HasValues() const {
    return std::any_of(m_valueCounts.begin(), m_valueCounts.end(), [](int n) { return n > 0; });
}

void GraphHistory::AddValue(int series, int64_t timeMs, double value, uint32_t interval) {
    m_series[series].push_back({timeMs, value, interval, false});
    ++m_valueCounts[series];
}

void GraphHistory::AddGap(int series, int64_t timeMs) {
    m_series[series].push_back({timeMs, 0, 0, true});
}

void GraphHistory::Trim(int64_t nowMs) {
    for (size_t series = 0; series < m_series.size(); ++series) {
        std::deque<GraphPoint>& points = m_series[series];
        while (!points.empty() && points.front().timeMs < nowMs - kKeptMs) {
            m_valueCounts[series] -= points.front().gap ? 0 : 1;
            points.pop_front();
        }
    }
}

void GraphHistory::WriteCsv(std::ostream& out) const {
    out << "time";
    for (const std::string& legend : m_legends)
        out << ',' << CsvField(legend);
    out << '\n';
    std::map<int64_t, std::vector<std::string>> rows;
    for (size_t series = 0; series < m_series.size(); ++series) {
        for (const GraphPoint& point : m_series[series]) {
            std::vector<std::string>& row = rows[point.timeMs];
            row.resize(m_series.size());
            if (!point.gap)
                row[series] = QString::number(point.value, 'g', 12).toStdString();
        }
    }
    for (const auto& [timeMs, values] : rows) {
        out << IsoTime(timeMs);
        for (const std::string& value : values)
            out << ',' << value;
        out << '\n';
    }
}
