// One series' expression in the host's graph notation, evaluated with muparser.
//
//   100 * (800*{matrixSDOctets}/({$time}*10000000))
//
// A name in braces stands for that MIB column's increase over the poll interval at the
// series' instance; {$time} for the interval itself in hundredths of a second. The braces
// are translated into muparser variables; everything else is muparser's own syntax.
#pragma once

#include <muParser.h>

#include <optional>
#include <string>
#include <vector>

class SeriesExpression {
  public:
    SeriesExpression() = default;
    // muparser keeps the addresses of the variables: the object stays where it was made.
    SeriesExpression(const SeriesExpression&) = delete;
    SeriesExpression& operator=(const SeriesExpression&) = delete;

    // False, with a reason, for an unclosed or empty brace or what muparser refuses.
    bool Parse(const std::string& text, std::string& error);
    // The column names in braces, each once, in order of first use.
    const std::vector<std::string>& Columns() const { return m_columns; }
    // The value for these increases (one per Columns() entry) over `interval` hundredths
    // of a second; none when the result is not a finite number (a division by zero).
    std::optional<double> Evaluate(const std::vector<double>& increases, double interval) const;

  private:
    bool Translate(const std::string& text, std::string& formula, std::string& error);
    int ColumnSlot(const std::string& name);

    mu::Parser m_parser;
    std::vector<std::string> m_columns;
    // Fixed places for muparser's variables; sized once in Parse.
    mutable std::vector<double> m_values;
    mutable double m_time = 0;
};
