// Expressions in the host's notation.
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
