// Value texts and the set values read back from them.
#include "host/ksdbapi/nodes_file.h"
#include "host/ksdbapi/oid_text.h"
#include "host/ksdbapi/value_format.h"
#include "hostapi/ksdb_codes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

TEST(NodesFile, ReadsNodeLinesAndRejectsMalformedOnes) {
    NodeConfig node;
    ASSERT_TRUE(ReadNodeLine("7  10.0.0.1:1161 1 private 250 0  Lab probe  ", node));
    EXPECT_EQ(node.id, 7u);
    EXPECT_EQ(node.address, "10.0.0.1:1161");
    EXPECT_EQ(node.version, 0);
    EXPECT_EQ(node.community, "private");
    EXPECT_EQ(node.timeoutMs, 250);
    EXPECT_EQ(node.retries, 0);
    EXPECT_EQ(node.name, "Lab probe");
    EXPECT_TRUE(node.readAhead);
    ASSERT_TRUE(ReadNodeLine("8 10.0.0.2 2c public 250 0 bulk=off  bulk probe", node));
    EXPECT_FALSE(node.readAhead);
    EXPECT_EQ(node.name, "bulk probe");
    const char* bad[] = {
        "1 127.0.0.1 2c public 1000 1 bulk=maybe name",
        "",
        "# 1 127.0.0.1 2c public 1000 1 x",
        "0 127.0.0.1 2c public 1000 1 zero id",
        "1 127.0.0.1 4 public 1000 1 version 4",
        "1 127.0.0.1 2c public 1000 1 auth=SHA-256 authpass=12345678 v3 keys on a v2c node",
        "1 127.0.0.1 3 alice 1000 1 auth=SHA-256 no pass phrase",
        "1 127.0.0.1 3 alice 1000 1 auth=SHA-256 authpass=1234567 too short",
        "1 127.0.0.1 3 alice 1000 1 auth=SHA-999 authpass=12345678 unknown protocol",
        "1 127.0.0.1 3 alice 1000 1 priv=AES privpass=12345678 privacy without authentication",
        "1 127.0.0.1 3 alice 1000 1 level=authPriv auth=SHA authpass=12345678 no privacy key",
        "1 127.0.0.1 3 alice 1000 1 keys=/nonexistent/keys missing keys file",
        "1 127.0.0.1 2c public 0 1 no time-out",
        "1 127.0.0.1 2c public 1000 -1 negative retries",
        "1 127.0.0.1 2c public",
    };
    for (const char* line : bad) {
        EXPECT_FALSE(ReadNodeLine(line, node)) << line;
    }
}

TEST(NodesFile, ReadsSnmpV3SecurityFromTheLineAndFromAKeysFile) {
    NodeConfig node;
    ASSERT_TRUE(ReadNodeLine("3 10.0.0.3 3 alice 500 1 auth=SHA-512 authpass=a-secret priv=AES-256 "
                             "privpass=b-secret context=ctx  v3 probe",
                             node));
    EXPECT_EQ(node.version, 3);
    EXPECT_EQ(node.usm.user, "alice");
    EXPECT_EQ(node.usm.context, "ctx");
    EXPECT_EQ(node.usm.level, UsmLevel::kAuthPriv);
    EXPECT_EQ(node.usm.auth, UsmAuth::kSha512);
    EXPECT_EQ(node.usm.authPassphrase, "a-secret");
    EXPECT_EQ(node.usm.priv, UsmPriv::kAes256);
    EXPECT_EQ(node.usm.privPassphrase, "b-secret");
    EXPECT_EQ(node.name, "v3 probe");
    // An explicit lower level leaves the privacy key unused.
    ASSERT_TRUE(ReadNodeLine("3 10.0.0.3 3 bob 500 1 level=authNoPriv auth=MD5 authpass=a-secret "
                             "priv=DES privpass=b-secret p",
                             node));
    EXPECT_EQ(node.usm.level, UsmLevel::kAuthNoPriv);
    ASSERT_TRUE(ReadNodeLine("3 10.0.0.3 3 carol 500 1 nobody's probe", node));
    EXPECT_EQ(node.usm.level, UsmLevel::kNoAuthNoPriv);
    EXPECT_EQ(node.usm.authPassphrase, "");

    // A relative keys file is read from the nodes file's folder; pass phrases may hold blanks.
    const std::string folder = ::testing::TempDir() + "nodes_keys";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/dave.keys")
        << "# dave\nauth = SHA-256\nauthpass=with blanks inside\npriv=AES\nprivpass=x-secret-x\n";
    std::ofstream(folder + "/nodes") << "4 10.0.0.4 3 dave 500 1 keys=dave.keys dave's probe\n";
    std::vector<NodeConfig> nodes;
    ASSERT_TRUE(ReadNodesFile(folder + "/nodes", nodes));
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_EQ(nodes[0].usm.level, UsmLevel::kAuthPriv);
    EXPECT_EQ(nodes[0].usm.auth, UsmAuth::kSha256);
    EXPECT_EQ(nodes[0].usm.authPassphrase, "with blanks inside");
    EXPECT_EQ(nodes[0].usm.priv, UsmPriv::kAes128);
    EXPECT_EQ(nodes[0].name, "dave's probe");
    std::ofstream(folder + "/dave.keys") << "keys=dave.keys\n";
    nodes.clear();
    ASSERT_TRUE(ReadNodesFile(folder + "/nodes", nodes));
    EXPECT_TRUE(nodes.empty()) << "a keys file may not name another";
}
