// Value texts and the set values read back from them.
#include "host/ksdbapi/oid_text.h"
#include "host/ksdbapi/value_format.h"
#include "hostapi/ksdb_codes.h"

#include <gtest/gtest.h>

using namespace ksdb;

namespace {

SnmpValue Octets(std::string bytes, uint8_t type = kAsnOctetString) {
    SnmpValue value = SnmpValue::Octets(std::move(bytes));
    value.type = type;
    return value;
}

struct FormatCase {
    const char* what;
    SnmpValue value;
    int syntax;
    const char* text;
};

} // namespace

TEST(ValueFormat, TextOfEachKindOfValue) {
    const std::string mac("\x00\xA0\xC9\x12\x34\x56", 6);
    const FormatCase cases[] = {
        {"address column", Octets(mac), KSDB_SYNTAX_ADDRESS, "00 A0 C9 12 34 56"},
        {"printable address is still hex", Octets("ABCDEF"), KSDB_SYNTAX_ADDRESS,
         "41 42 43 44 45 46"},
        {"empty address", Octets(""), KSDB_SYNTAX_ADDRESS, ""},
        {"binary octets without syntax", Octets(mac), KSDB_SYNTAX_NONE, "00 A0 C9 12 34 56"},
        {"printable octets without syntax", Octets("eth0 port"), KSDB_SYNTAX_NONE, "eth0 port"},
        {"display string", Octets("Linux probe 2.1"), KSDB_SYNTAX_DISPLAY_STRING,
         "Linux probe 2.1"},
        {"empty display string", Octets(""), KSDB_SYNTAX_DISPLAY_STRING, ""},
        {"negative integer", SnmpValue::Number(kAsnInteger, -5), KSDB_SYNTAX_INTEGER, "-5"},
        {"counter above 2^31", SnmpValue::Number(kAsnCounter32, 4294967295LL),
         KSDB_SYNTAX_COUNTER32, "4294967295"},
        {"gauge", SnmpValue::Number(kAsnGauge32, 100), KSDB_SYNTAX_NONE, "100"},
        {"time ticks", SnmpValue::Number(kAsnTimeTicks, 123456), KSDB_SYNTAX_TIME_TICKS, "123456"},
        {"counter64 above 2^63", SnmpValue::Number(kAsnCounter64, -1), KSDB_SYNTAX_COUNTER64,
         "18446744073709551615"},
        {"object id", SnmpValue::Identifier({1, 3, 6, 1, 4, 1, 8072}), KSDB_SYNTAX_OBJECT_ID,
         "1.3.6.1.4.1.8072"},
        {"ip address", Octets(std::string("\x7f\x00\x00\x01", 4), kAsnIpAddress),
         KSDB_SYNTAX_IP_ADDRESS, "127.0.0.1"},
        {"endOfMibView", SnmpValue::Number(kAsnEndOfMibView, 0), KSDB_SYNTAX_NONE, ""},
    };
    for (const FormatCase& c : cases) {
        EXPECT_EQ(FormatValue(c.value, c.syntax), c.text) << c.what;
    }
}

TEST(ValueFormat, SetValuesReadUnderTheVariablesSyntax) {
    SnmpValue value;
    ASSERT_TRUE(ParseValue("00 a0 C9:12", KSDB_SYNTAX_ADDRESS, value));
    EXPECT_EQ(value.bytes, std::string("\x00\xA0\xC9\x12", 4));
    ASSERT_TRUE(ParseValue("4294967295", KSDB_SYNTAX_COUNTER32, value));
    EXPECT_EQ(value.type, kAsnCounter32);
    EXPECT_FALSE(ParseValue("4294967296", KSDB_SYNTAX_COUNTER32, value));
    EXPECT_FALSE(ParseValue("12x", KSDB_SYNTAX_INTEGER, value));
    EXPECT_FALSE(ParseValue("0 A", KSDB_SYNTAX_ADDRESS, value));
    ASSERT_TRUE(ParseValue("-7", KSDB_SYNTAX_NONE, value));
    EXPECT_EQ(value.type, kAsnInteger);
    ASSERT_TRUE(ParseValue("probe 1", KSDB_SYNTAX_NONE, value));
    EXPECT_EQ(value.type, kAsnOctetString);
}

TEST(OidText, ParsesDottedTextWithOrWithoutLeadingDot) {
    Oid oid;
    EXPECT_TRUE(ParseOid(".1.3.6", oid));
    EXPECT_EQ(oid, (Oid{1, 3, 6}));
    EXPECT_TRUE(ParseOid("1.3.4294967295", oid));
    EXPECT_EQ(FormatOid(oid), "1.3.4294967295");
    EXPECT_TRUE(ParseOid("", oid));
    EXPECT_TRUE(oid.empty());
    for (const char* bad : {"1..3", "1.3.", "..", "1.x", "1.4294967296", " 1.3", "."}) {
        EXPECT_FALSE(ParseOid(bad, oid) && !oid.empty()) << bad;
    }
}
