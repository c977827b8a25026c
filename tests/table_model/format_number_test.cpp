#include "common/number_text.h"
#include "table/format_number.h"
#include "table/table_model.h"
#include "tests/support/comma_locale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct FormatCase {
    double value;
    int asSigned;
    const char* expected;
};

TEST(FormatNumber, PrintsIntegersUnitPrefixesAndThreeDecimals) {
    const FormatCase cases[] = {
        {0.5, 1, "0.5"},
        {12.3456, 1, "12.345"},
        {1234.5, 1, "1234"}, // above 1000 the fraction is dropped
        {0.0004, 1, "0"},    // fraction below 0.001
        {3e9, 1, "3G"},      // too large for an integer
        {2147483647.0, 1, "2.147G"},
        {-3e9, 1, "-3e+09"},     // negative values get no unit and keep the exponent
        {-7.0, 0, "4294967289"}, // unsigned columns print the 32-bit two's complement
        {-7.0, 1, "-7"},
        {-7.5, 1, "-7.5"},
        {1500000000.5, 0, "1500000000"},
        {2.5e12, 1, "2.5T"},
        {2.0015, 1, "2.001"},  // cut, not rounded
        {1.0005, 1, "1"},      // the fraction is 0.000499... in binary
        {999.9996, 1, "1000"}, // six significant digits round up, no point left
        {1e30, 1, "1e+06Y"},   // scaled, printed with an exponent, suffix still added
    };
    for (const FormatCase& c : cases) {
        char buffer[256];
        EXPECT_STREQ(FormatNumber(buffer, c.value, c.asSigned), c.expected) << c.value;
    }
}

// Each threshold exactly and one representable value below it: the integer form ends
// below 2147483647, a fraction shows up to 1000 and from 0.001, and each unit letter
// starts at its power of ten (below it the value prints as 1000 of the next lower unit).
TEST(FormatNumber, EveryThresholdExactlyAndJustBelow) {
    auto below = [](double value) { return std::nextafter(value, 0.0); };
    const FormatCase cases[] = {
        {2147483647.0, 1, "2.147G"},
        {below(2147483647.0), 1, "2147483646"},
        {1000.5, 1, "1000"},
        {999.5, 1, "999.5"},
        {0.001, 1, "0.001"},
        {below(0.001), 1, "0"},
        {1e12, 1, "1T"},
        {below(1e12), 1, "1000G"},
        {1e15, 1, "1P"},
        {below(1e15), 1, "1000T"},
        {1e18, 1, "1E"},
        {below(1e18), 1, "1000P"},
        {1e21, 1, "1Z"},
        {below(1e21), 1, "1000E"},
        {1e24, 1, "1Y"},
        {below(1e24), 1, "1000Z"},
    };
    for (const FormatCase& c : cases) {
        char buffer[256];
        EXPECT_STREQ(FormatNumber(buffer, c.value, c.asSigned), c.expected) << c.value;
    }
}

TEST(FormatNumber, NullBufferUsesItsOwn) {
    const char* text = FormatNumber(nullptr, 42.0, 1);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "42");
}

TEST(IsAllDigits, EmptyCountsAsDigits) {
    EXPECT_TRUE(IsAllDigits(nullptr));
    EXPECT_TRUE(IsAllDigits(""));
    EXPECT_TRUE(IsAllDigits("0123456789"));
    EXPECT_FALSE(IsAllDigits("12a"));
    EXPECT_FALSE(IsAllDigits("-1"));
    EXPECT_FALSE(IsAllDigits("1.0"));
}

struct FieldCase {
    int index;
    const char* text;
    char delimiter;
    const char* trimmed;   // buffer form; null when there is no such field
    const char* untrimmed; // string form
};

TEST(GetField, SkipsLeadingBlanksAndTrimsOnlyTheBufferForm) {
    const FieldCase cases[] = {
        {2, "a,b", ',', nullptr, nullptr},
        {1, "a, b ,c", ',', "b", "b "},
        {0, " \t\r\nx", ',', "x", "x"},
        {1, "a,,b", ',', "", ""},
        {2, "a,b,", ',', "", ""},
        {0, " a b", ' ', "", ""}, // the delimiter itself is never skipped as a blank
        {0, "abc", '\0', "abc", "abc"},
        {1, "abc", '\0', nullptr, nullptr},
        {0, nullptr, ',', nullptr, nullptr},
    };
    for (const FieldCase& c : cases) {
        char buffer[64];
        const char* field = GetField(c.index, c.text, buffer, sizeof buffer, c.delimiter);
        std::string out;
        const std::string* whole = GetField(c.index, c.text, c.delimiter, &out);
        if (c.trimmed == nullptr) {
            EXPECT_EQ(field, nullptr) << c.index << " " << (c.text ? c.text : "null");
            EXPECT_EQ(whole, nullptr);
            continue;
        }
        ASSERT_NE(field, nullptr) << c.text;
        EXPECT_STREQ(field, c.trimmed) << c.text;
        ASSERT_EQ(whole, &out);
        EXPECT_EQ(out, c.untrimmed) << c.text;
    }
}

TEST(GetField, CutsToTheBufferAndZeroFillsTheRest) {
    char buffer[8];
    std::memset(buffer, 'z', sizeof buffer);
    ASSERT_NE(GetField(0, "ab  cdef", buffer, 5, ','), nullptr);
    EXPECT_STREQ(buffer, "ab"); // cut to "ab  ", then trailing blanks removed
    for (int i = 2; i < 5; ++i) {
        EXPECT_EQ(buffer[i], '\0');
    }
    EXPECT_EQ(buffer[5], 'z');

    std::string longField(300, 'q');
    const char* field = GetField(0, longField.c_str(), nullptr, 1000, ',');
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(std::strlen(field), 254u); // the static buffer holds 255 bytes
}

// A process whose LC_NUMERIC writes a decimal comma (Qt takes the C library's locale from
// the environment) still reads "12.3456" as 12.3456, prints it with a point and sorts
// "9.5" above "9.1".
TEST_F(CommaLocaleTest, NumbersKeepTheirPoint) {
    EXPECT_EQ(ReadNumber("12.3456"), 12.3456);
    char buffer[256];
    EXPECT_STREQ(FormatNumber(buffer, 12.3456, 1), "12.345");
    EXPECT_STREQ(FormatNumber(buffer, 2.5e12, 1), "2.5T");

    TableColumn numeric;
    numeric.SetFlags(COLUMN_NUMERIC);
    auto model = std::make_unique<TableModel>(TABLE_SORTABLE);
    model->InsertColumn(0, numeric, 0);
    for (const char* text : {"9.1", "10", "9.5", "12.3456"}) {
        model->InsertRow(model->GetRowCount(), text, ';', 0);
    }
    EXPECT_EQ(model->GetCellText(3, 0), "12.345");
    model->SetSortColumn(0, SORT_ASCENDING);
    std::vector<int> order;
    for (int r = model->GetSortedRow(0, nullptr, 0); r >= 0;
         r = model->GetNextSortedRow(r, nullptr, 0)) {
        order.push_back(r);
    }
    EXPECT_EQ(order, (std::vector<int>{0, 2, 1, 3}));
}

} // namespace
