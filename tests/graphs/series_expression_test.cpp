// Expressions in the host's notation and the chart's unit letters.
#include "host/graphs/graph_chart.h"
#include "host/graphs/series_expression.h"

#include <gtest/gtest.h>

TEST(SeriesExpression, BraceNamesBecomeColumnsOnceInOrderOfUse) {
    SeriesExpression expression;
    std::string error;
    ASSERT_TRUE(
        expression.Parse("({matrixSDErrors}/{matrixSDPkts})*100+{matrixSDErrors}*0", error));
    EXPECT_EQ(expression.Columns(), (std::vector<std::string>{"matrixSDErrors", "matrixSDPkts"}));
    EXPECT_EQ(expression.Evaluate({5, 200}, 500), 2.5);
}

TEST(SeriesExpression, TimeIsTheIntervalInHundredths) {
    SeriesExpression expression;
    std::string error;
    ASSERT_TRUE(expression.Parse("100 * (800*{matrixSDOctets}/({$time}*10000000))", error));
    EXPECT_EQ(expression.Columns(), std::vector<std::string>{"matrixSDOctets"});
    EXPECT_DOUBLE_EQ(*expression.Evaluate({1250000}, 1000), 10.0);
}

TEST(SeriesExpression, NonFiniteResultsAreNoValue) {
    SeriesExpression expression;
    std::string error;
    ASSERT_TRUE(expression.Parse("{a}/{b}", error));
    EXPECT_FALSE(expression.Evaluate({0, 0}, 500)); // 0/0
    EXPECT_FALSE(expression.Evaluate({1, 0}, 500)); // 1/0
    EXPECT_FALSE(expression.Evaluate({1}, 500));    // wrong number of increases
    ASSERT_TRUE(expression.Parse("sqrt({a})", error));
    EXPECT_FALSE(expression.Evaluate({-1}, 500));
}

TEST(SeriesExpression, MalformedExpressionsAreRefusedWithAReason) {
    for (const char* text : {"{matrixSDOctets", "{}", "({a}", "{a} +", "{a} {b}", "unknown_(1)"}) {
        SeriesExpression expression;
        std::string error;
        EXPECT_FALSE(expression.Parse(text, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

TEST(GraphChart, UnitLettersByMagnitude) {
    const std::pair<double, const char*> cases[] = {
        {0, ""},    {999, ""},  {1000, "K"}, {999999, "K"},
        {1e6, "M"}, {5e8, "M"}, {1e9, "G"},  {4e12, "G"},
    };
    for (const auto& [maximum, letter] : cases) {
        QString unit;
        const double divisor = GraphChart::UnitFor(maximum, unit);
        EXPECT_EQ(unit, letter) << maximum;
        EXPECT_EQ(divisor, unit.isEmpty() ? 1 : unit == "K" ? 1e3 : unit == "M" ? 1e6 : 1e9);
    }
}

TEST(GraphChart, ValueAxisTopIsTheNextRoundStep) {
    const std::pair<double, double> cases[] = {
        {0, 1}, {-3, 1}, {1, 1}, {21.3, 25}, {0.7, 0.8}, {999, 1000}, {1001, 1200}, {4.5e6, 5e6},
    };
    for (const auto& [value, top] : cases) {
        EXPECT_DOUBLE_EQ(GraphChart::NiceCeiling(value), top) << value;
    }
}
