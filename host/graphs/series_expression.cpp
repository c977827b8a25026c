#include "host/graphs/series_expression.h"

#include <algorithm>
#include <cmath>

namespace {

const char kTimeName[] = "$time";
const char kTimeVariable[] = "time_";

std::string ColumnVariable(int slot) {
    return "column" + std::to_string(slot) + "_";
}

} // namespace

int SeriesExpression::ColumnSlot(const std::string& name) {
    auto it = std::find(m_columns.begin(), m_columns.end(), name);
    if (it != m_columns.end()) {
        return static_cast<int>(it - m_columns.begin());
    }
    m_columns.push_back(name);
    return static_cast<int>(m_columns.size()) - 1;
}

// Braces become variables: {$time} time_, each column name column<n>_.
bool SeriesExpression::Translate(const std::string& text, std::string& formula,
                                 std::string& error) {
    for (size_t at = 0; at < text.size();) {
        const size_t open = text.find('{', at);
        formula += text.substr(at, open - at);
        if (open == std::string::npos) {
            break;
        }
        const size_t close = text.find('}', open);
        if (close == std::string::npos || close == open + 1) {
            error = "unclosed or empty brace at " + std::to_string(open);
            return false;
        }
        const std::string name = text.substr(open + 1, close - open - 1);
        formula += name == kTimeName ? kTimeVariable : ColumnVariable(ColumnSlot(name));
        at = close + 1;
    }
    return true;
}

bool SeriesExpression::Parse(const std::string& text, std::string& error) {
    m_columns.clear();
    std::string formula;
    if (!Translate(text, formula, error)) {
        return false;
    }
    m_values.assign(m_columns.size(), 0);
    try {
        m_parser.ClearVar();
        m_parser.DefineVar(kTimeVariable, &m_time);
        for (size_t slot = 0; slot < m_columns.size(); ++slot) {
            m_parser.DefineVar(ColumnVariable(static_cast<int>(slot)), &m_values[slot]);
        }
        m_parser.SetExpr(formula);
        m_parser.Eval(); // parses now, so that a bad formula is reported here
    } catch (const mu::Parser::exception_type& e) {
        error = e.GetMsg();
        return false;
    }
    return true;
}

std::optional<double> SeriesExpression::Evaluate(const std::vector<double>& increases,
                                                 double interval) const {
    if (increases.size() != m_values.size()) {
        return std::nullopt;
    }
    std::copy(increases.begin(), increases.end(), m_values.begin());
    m_time = interval;
    try {
        const double value = m_parser.Eval();
        if (std::isfinite(value)) {
            return value;
        }
    } catch (const mu::Parser::exception_type&) {
    }
    return std::nullopt;
}
