#include "host/graphs/series_sampler.h"

#include "hostapi/ksdb_codes.h"

SeriesSampler::SeriesSampler(const SeriesExpression& expression, std::vector<int> syntaxes)
    : m_expression(expression), m_syntaxes(std::move(syntaxes)) {}

double SeriesSampler::Increase(size_t column, uint64_t previous, uint64_t current) const {
    const int syntax = column < m_syntaxes.size() ? m_syntaxes[column] : KSDB_SYNTAX_COUNTER32;
    switch (syntax) {
    case KSDB_SYNTAX_COUNTER64:
        return static_cast<double>(current - previous); // unsigned: a wrap comes out right
    case KSDB_SYNTAX_COUNTER32:
    case KSDB_SYNTAX_TIME_TICKS:
        return static_cast<double>(static_cast<uint32_t>(current - previous));
    default:
        return static_cast<double>(static_cast<int64_t>(current));
    }
}

SeriesSampler::Result SeriesSampler::Take(const SeriesSample& sample) {
    Result result;
    const bool restarted = m_hasPrevious && sample.uptime < m_previous.uptime;
    if (!m_hasPrevious || restarted || sample.values.size() != m_previous.values.size()) {
        m_previous = sample;
        m_hasPrevious = true;
        result.outcome = restarted ? Outcome::Gap : Outcome::Baseline;
        return result;
    }
    const uint32_t interval = sample.uptime - m_previous.uptime;
    result.outcome = Outcome::Gap;
    if (interval < kMinInterval) {
        return result;
    }
    m_increases.resize(sample.values.size());
    for (size_t column = 0; column < sample.values.size(); ++column) {
        m_increases[column] = Increase(column, m_previous.values[column], sample.values[column]);
    }
    m_previous = sample;
    if (std::optional<double> value = m_expression.Evaluate(m_increases, interval)) {
        result.outcome = Outcome::Point;
        result.value = *value;
        result.interval = interval;
    }
    return result;
}
