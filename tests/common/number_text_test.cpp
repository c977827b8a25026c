// The number reader shared by the table, script commands and the console's options.
#include "common/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

TEST(ReadNumber, ReadsAsAtofDoesInTheCLocale) {
    struct Case {
        const char* text;
        double value;
    } const cases[] = {
        {"12.3456", 12.3456}, {" \t12", 12},   {"+1.5", 1.5},
        {"-2e3", -2000},      {"9.5abc", 9.5}, {"1,5", 1},
        {"abc", 0},           {"", 0},         {"0x1A", 26},
        {"-0x.8", -0.5},      {"1e-999", 0},   {".25", 0.25},
        {"- 3", 0},           {"0x", 0},       {"4294967295", 4294967295.0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadNumber(c.text), c.value) << c.text;
    }
    EXPECT_EQ(ReadNumber("1e999"), HUGE_VAL);
    EXPECT_EQ(ReadNumber("-inf"), -HUGE_VAL);
    EXPECT_TRUE(std::isnan(ReadNumber("nan")));
    EXPECT_EQ(ReadNumber(nullptr), 0);
}

// Found by fuzzing against strtod: a second sign reads nothing, and digits too small for a
// double underflow to 0 (or a subnormal), never to infinity.
TEST(ReadNumber, SecondSignAndUnderflowingDigits) {
    for (const char* text : {"--5", "+-5", "-+5", "++5"}) {
        EXPECT_EQ(ReadNumber(text), 0) << text;
    }
    const std::string tiny = "0." + std::string(400, '0') + "1";
    EXPECT_EQ(ReadNumber(tiny.c_str()), 0);
    EXPECT_EQ(ReadNumber(("-" + tiny).c_str()), 0);
    EXPECT_EQ(ReadNumber("4e-320"), std::strtod("4e-320", nullptr));
    // An exponent marker without a well-formed exponent ends the number, as in atof.
    for (const char* text : {"0x1p+-7", "1e+-5", "2e", "3E+", "0x1P", "0x1p-2", "1e-2x"}) {
        EXPECT_EQ(ReadNumber(text), std::strtod(text, nullptr)) << text;
    }
}

TEST(ReadNumber, EndsJustPastTheNumber) {
    const char* end = nullptr;
    const char text[] = " -2.5e1x";
    EXPECT_EQ(ReadNumber(text, &end), -25);
    EXPECT_STREQ(end, "x");
    EXPECT_EQ(ReadNumber("abc", &end), 0);
    EXPECT_STREQ(end, "abc");
}

// Script numbers and graph intervals: the whole text or nothing. "1e+-5" was taken as 1e-5
// when the console read with from_chars directly.
TEST(ParseWholeNumber, TakesOnlyAWholeFiniteNumber) {
    double value = -1;
    EXPECT_TRUE(ParseWholeNumber("0.5", value));
    EXPECT_EQ(value, 0.5);
    EXPECT_TRUE(ParseWholeNumber("-3", value));
    EXPECT_EQ(value, -3);
    for (const char* text : {"", " 1", "1 ", "1s", "1e+-5", "2e", "1,5", "inf", "nan", "1e999"}) {
        value = 7;
        EXPECT_FALSE(ParseWholeNumber(text, value)) << text;
        EXPECT_EQ(value, 7) << text;
    }
}

// Every integer the host reads (node ids, ports, row numbers, counters, script arguments):
// the whole text, decimal, inside the range asked for; value untouched otherwise. strtoull
// took "-1" as 2^64-1 and atoi "12abc" as 12.
TEST(ParseWholeInteger, TakesOnlyTheWholeTextInsideItsRange) {
    struct Case {
        const char* text;
        NumberError error;
        long long value;
    } const ports[] = {
        {"0", NumberError::kOutOfRange, 7},
        {"1", NumberError::kNone, 1},
        {"65535", NumberError::kNone, 65535},
        {"65536", NumberError::kOutOfRange, 7},
        {"-1", NumberError::kNotANumber, 7},
        {"-0", NumberError::kNotANumber, 7},
        {"+1", NumberError::kNotANumber, 7},
        {" 1", NumberError::kNotANumber, 7},
        {"1 ", NumberError::kNotANumber, 7},
        {"12abc", NumberError::kNotANumber, 7},
        {"0x10", NumberError::kNotANumber, 7},
        {"1.0", NumberError::kNotANumber, 7},
        {"", NumberError::kNotANumber, 7},
        {"0161", NumberError::kNone, 161},
        {"99999999999999999999", NumberError::kOutOfRange, 7},
    };
    for (const Case& c : ports) {
        unsigned port = 7;
        EXPECT_EQ(ParseWholeInteger(c.text, port, 1, 65535), c.error) << c.text;
        EXPECT_EQ(port, c.value) << c.text;
    }
    const Case signedOnes[] = {
        {"-2147483648", NumberError::kNone, INT32_MIN},
        {"2147483647", NumberError::kNone, INT32_MAX},
        {"-2147483649", NumberError::kOutOfRange, 7},
        {"2147483648", NumberError::kOutOfRange, 7},
        {"-", NumberError::kNotANumber, 7},
        {"--1", NumberError::kNotANumber, 7},
        {"-x", NumberError::kNotANumber, 7},
    };
    for (const Case& c : signedOnes) {
        int32_t number = 7;
        EXPECT_EQ(ParseWholeInteger(c.text, number), c.error) << c.text;
        EXPECT_EQ(number, c.value) << c.text;
    }
    uint64_t counter = 0;
    EXPECT_EQ(ParseWholeInteger("18446744073709551615", counter), NumberError::kNone);
    EXPECT_EQ(counter, UINT64_MAX);
    EXPECT_EQ(ParseWholeInteger("18446744073709551616", counter), NumberError::kOutOfRange);
}

TEST(ParseWholeInteger, NamesWhyATextIsRefused) {
    EXPECT_EQ(NumberErrorText(NumberError::kNotANumber, 1, 65535), "is not a whole number");
    EXPECT_EQ(NumberErrorText(NumberError::kOutOfRange, 1, 65535), "is out of range 1 to 65535");
    EXPECT_EQ(NumberErrorText(NumberError::kNone, 1, 65535), "");
}
