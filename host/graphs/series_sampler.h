// Turns one series' successive samples (the agent's sysUpTime and the raw values of the
// columns its expression names) into points.
//
// A counter's increase is the difference of two samples; a Counter32 (or TimeTicks) that
// went down wrapped once, so 2^32 is added (2^64 for a Counter64). Gauges and integers
// are levels and give their current value. The interval is the difference of the two
// uptimes in hundredths of a second, so that network delay does not bend a rate.
#pragma once

#include "host/graphs/series_expression.h"

#include <cstdint>
#include <vector>

struct SeriesSample {
    uint32_t uptime = 0;          // sysUpTime.0, hundredths of a second
    std::vector<uint64_t> values; // one per column of the expression
};

class SeriesSampler {
  public:
    enum class Outcome {
        Baseline, // the first sample (or the first after an agent restart): no point yet
        Point,    // a value
        Gap,      // no value for this interval
    };
    struct Result {
        Outcome outcome = Outcome::Baseline;
        double value = 0;
        uint32_t interval = 0; // hundredths of a second, for a point
    };

    // Intervals shorter than this (hundredths of a second) give a gap instead of a rate
    // that would be mostly noise: two answers that close say nothing about traffic.
    static constexpr uint32_t kMinInterval = 10;

    // syntaxes: the KSDB_SYNTAX_ of each column of the expression, in the same order.
    SeriesSampler(const SeriesExpression& expression, std::vector<int> syntaxes);

    // The point of the interval that ends with this sample. An uptime that went back
    // means the agent restarted: its counters began again, so the interval gives no point
    // and this sample is the new baseline. A too short interval gives a gap and keeps the
    // older baseline; a value that is not a finite number (division by zero) a gap.
    Result Take(const SeriesSample& sample);
    // The series missed a sample (time-out, vanished instance): the next one is a baseline.
    void Forget() { m_hasPrevious = false; }

  private:
    double Increase(size_t column, uint64_t previous, uint64_t current) const;

    const SeriesExpression& m_expression;
    std::vector<int> m_syntaxes;
    SeriesSample m_previous;
    bool m_hasPrevious = false;
    std::vector<double> m_increases; // reused between samples
};
