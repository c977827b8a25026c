// The nodes file: each line a node or a refusal that names the line and its reason.
#include "host/ksdbapi/nodes_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace ksdb;

namespace {

// A fresh folder for one test's files.
std::string Folder(const std::string& name) {
    const std::string folder =
        ::testing::TempDir() + "nodes_file_" + name + "_" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    return folder;
}

TEST(NodesFile, ReadsANodeLine) {
    NodeConfig node;
    std::string reason;
    ASSERT_TRUE(ReadNodeLine("7  10.0.0.1:1161 1 private 250 0  Lab probe  ", node, reason));
    EXPECT_EQ(node.id, 7u);
    EXPECT_EQ(node.address, "10.0.0.1:1161");
    EXPECT_EQ(node.version, 0);
    EXPECT_EQ(node.community, "private");
    EXPECT_EQ(node.timeoutMs, 250);
    EXPECT_EQ(node.retries, 0);
    EXPECT_EQ(node.name, "Lab probe");
    EXPECT_TRUE(node.readAhead);
    ASSERT_TRUE(ReadNodeLine("8 10.0.0.2 2c public 250 0 bulk=off  bulk probe", node, reason));
    EXPECT_FALSE(node.readAhead);
    EXPECT_EQ(node.name, "bulk probe");
    for (const char* nothing : {"", "   ", "# 1 127.0.0.1 2c public 1000 1 x", "  #x"}) {
        EXPECT_FALSE(ReadNodeLine(nothing, node, reason)) << nothing;
        EXPECT_EQ(reason, "") << nothing;
    }
}

// Each bad line gets its own reason; a pass phrase is never shown, only its length.
TEST(NodesFile, RefusesAMalformedLineWithItsReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"x 127.0.0.1 2c public 1000 1 n", "id \"x\" is not a whole number"},
        {"0 127.0.0.1 2c public 1000 1 n", "id \"0\" is out of range 1 to 4294967295"},
        {"4294967296 h 2c p 1 1 n", "id \"4294967296\" is out of range 1 to 4294967295"},
        {"1 127.0.0.1 2c public",
         "fewer than six fields (id address version community time-out retries)"},
        {"1 127.0.0.1 4 public 1000 1 n", "version \"4\" is not 1, 2c or 3"},
        {"1 127.0.0.1:abc 2c public 1000 1 n", "port \"abc\" is not a whole number"},
        {"1 127.0.0.1: 2c public 1000 1 n", "port \"\" is not a whole number"},
        {"1 :161 2c public 1000 1 n", "address \":161\" has no host"},
        {"1 [::1 2c public 1000 1 n", "address \"[::1\" is not [IPv6 address]:port"},
        {"1 [::1]x 2c public 1000 1 n", "address \"[::1]x\" is not [IPv6 address]:port"},
        {"1 [::1]:0 2c public 1000 1 n", "port \"0\" is out of range 1 to 65535"},
        {"1 h 2c public 1000 1 bulk=maybe n", "bulk=maybe: not one of on, off"},
        {"1 h 2c public 1000 1 auth=SHA-256 authpass=12345678 n",
         "SNMPv3 options on a version 2c node"},
        {"1 h 1 public 1000 1 context=c n", "SNMPv3 options on a version 1 node"},
        {"1 h 3 alice 1000 1 auth=SHA-256 n", "authpass has 0 characters, fewer than 8"},
        {"1 h 3 alice 1000 1 auth=SHA-999 authpass=12345678 n",
         "auth=SHA-999: not one of MD5, SHA, SHA-224, SHA-256, SHA-384, SHA-512"},
        {"1 h 3 alice 1000 1 priv=AES-512 n",
         "priv=AES-512: not one of DES, AES, AES-192, AES-256"},
        {"1 h 3 alice 1000 1 level=all n",
         "level=all: not one of noAuthNoPriv, authNoPriv, authPriv"},
        {"1 h 3 alice 1000 1 priv=AES privpass=12345678 n",
         "authentication needs auth=MD5, SHA, SHA-224, SHA-256, SHA-384, SHA-512"},
        {"1 h 3 alice 1000 1 level=authPriv auth=SHA authpass=12345678 n",
         "privacy needs priv=DES, AES, AES-192, AES-256"},
        {"1 h 3 alice 1000 1 auth=SHA authpass= n", "authpass is empty"},
        {"1 h 3 alice 1000 1 keys= n", "keys names no file"},
        {"1 h 3 alice 1000 1 keys=/nonexistent/keys n",
         "keys file /nonexistent/keys cannot be read"},
    };
    for (const auto& [line, expected] : cases) {
        NodeConfig node;
        std::string reason;
        EXPECT_FALSE(ReadNodeLine(line, node, reason)) << line;
        EXPECT_EQ(reason, expected) << line;
    }
}

// Both ends of every range: the port, the time-out, the retries and each pass phrase.
// Each pass phrase is checked for its own length: a privacy pass phrase of 7 characters
// beside a long authentication pass phrase is refused, and the other way round.
TEST(NodesFile, TakesEveryRangeToItsEdgesAndNoFurther) {
    const std::string v3 = "1 h 3 alice 1000 1 auth=SHA ";
    const std::pair<std::string, const char*> cases[] = {
        {"1 h:0 2c p 1000 1 n", "port \"0\" is out of range 1 to 65535"},
        {"1 h:1 2c p 1000 1 n", ""},
        {"1 h:65535 2c p 1000 1 n", ""},
        {"1 h:65536 2c p 1000 1 n", "port \"65536\" is out of range 1 to 65535"},
        {"1 h:-1 2c p 1000 1 n", "port \"-1\" is not a whole number"},
        {"1 [::1]:65535 2c p 1000 1 n", ""},
        {"1 [::1] 2c p 1000 1 n", ""},
        {"1 ::1 2c p 1000 1 n", ""},
        {"1 h 2c p 0 1 n", "time-out \"0\" is out of range 1 to 60000"},
        {"1 h 2c p 1 1 n", ""},
        {"1 h 2c p 60000 1 n", ""},
        {"1 h 2c p 60001 1 n", "time-out \"60001\" is out of range 1 to 60000"},
        {"1 h 2c p 1000 -1 n", "retries \"-1\" is out of range 0 to 10"},
        {"1 h 2c p 1000 0 n", ""},
        {"1 h 2c p 1000 10 n", ""},
        {"1 h 2c p 1000 11 n", "retries \"11\" is out of range 0 to 10"},
        {"4294967295 h 2c p 1000 1 n", ""},
        {v3 + "authpass=1234567 n", "authpass has 7 characters, fewer than 8"},
        {v3 + "authpass=12345678 n", ""},
        {v3 + "authpass=12345678 priv=AES privpass=1234567 n",
         "privpass has 7 characters, fewer than 8"},
        {v3 + "authpass=1234567 priv=AES privpass=12345678 n",
         "authpass has 7 characters, fewer than 8"},
        {v3 + "authpass=12345678 priv=AES privpass=12345678 n", ""},
        {v3 + "authpass=a-long-pass-phrase priv=AES privpass=1234567 n",
         "privpass has 7 characters, fewer than 8"},
    };
    for (const auto& [line, expected] : cases) {
        NodeConfig node;
        std::string reason;
        EXPECT_EQ(ReadNodeLine(line, node, reason), *expected == '\0') << line;
        EXPECT_EQ(reason, expected) << line;
    }
}

TEST(NodesFile, ReadsSnmpV3SecurityFromTheLineAndFromAKeysFile) {
    NodeConfig node;
    std::string reason;
    ASSERT_TRUE(ReadNodeLine("3 10.0.0.3 3 alice 500 1 auth=SHA-512 authpass=a-secret priv=AES-256 "
                             "privpass=b-secret context=ctx  v3 probe",
                             node, reason));
    EXPECT_EQ(node.version, 3);
    EXPECT_EQ(node.usm.user, "alice");
    EXPECT_EQ(node.community, "");
    EXPECT_EQ(node.usm.context, "ctx");
    EXPECT_EQ(node.usm.level, UsmLevel::kAuthPriv);
    EXPECT_EQ(node.usm.auth, UsmAuth::kSha512);
    EXPECT_EQ(node.usm.authPassphrase, "a-secret");
    EXPECT_EQ(node.usm.priv, UsmPriv::kAes256);
    EXPECT_EQ(node.usm.privPassphrase, "b-secret");
    EXPECT_EQ(node.name, "v3 probe");
    // An explicit lower level leaves the privacy key unused.
    ASSERT_TRUE(ReadNodeLine("3 10.0.0.3 3 bob 500 1 level=authNoPriv auth=MD5 authpass=a-secret "
                             "priv=DES privpass=short p",
                             node, reason));
    EXPECT_EQ(node.usm.level, UsmLevel::kAuthNoPriv);
    ASSERT_TRUE(ReadNodeLine("3 10.0.0.3 3 carol 500 1 nobody's probe", node, reason));
    EXPECT_EQ(node.usm.level, UsmLevel::kNoAuthNoPriv);
    EXPECT_EQ(node.usm.authPassphrase, "");

    // A relative keys file is read from the nodes file's folder; pass phrases may hold blanks.
    const std::string folder = Folder("keys");
    std::ofstream(folder + "/dave.keys")
        << "# dave\nauth = SHA-256\nauthpass=with blanks inside\npriv=AES\nprivpass=x-secret-x\n";
    std::ofstream(folder + "/nodes") << "4 10.0.0.4 3 dave 500 1 keys=dave.keys dave's probe\n";
    std::vector<NodeConfig> nodes;
    std::vector<std::string> errors;
    ASSERT_TRUE(ReadNodesFile(folder + "/nodes", nodes, errors));
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(nodes[0].usm.level, UsmLevel::kAuthPriv);
    EXPECT_EQ(nodes[0].usm.auth, UsmAuth::kSha256);
    EXPECT_EQ(nodes[0].usm.authPassphrase, "with blanks inside");
    EXPECT_EQ(nodes[0].usm.priv, UsmPriv::kAes128);
    EXPECT_EQ(nodes[0].name, "dave's probe");

    // A bad keys file names its own line inside the node's reason.
    const std::pair<const char*, const char*> badKeys[] = {
        {"keys=dave.keys\n", "line 1: \"keys\" is no option of a keys file"},
        {"# x\nauth SHA\n", "line 2: not key=value"},
        {"auth=SHA\nauthpass=1234567\n", "authpass has 7 characters, fewer than 8"},
    };
    for (const auto& [keys, reason] : badKeys) {
        std::ofstream(folder + "/dave.keys") << keys;
        nodes.clear();
        errors.clear();
        ASSERT_TRUE(ReadNodesFile(folder + "/nodes", nodes, errors));
        EXPECT_TRUE(nodes.empty()) << keys;
        ASSERT_EQ(errors.size(), 1u) << keys;
        EXPECT_NE(errors[0].find(reason), std::string::npos) << errors[0];
    }
}

// Every refused line is named with the file and its line number; the good lines around
// it stay nodes, and a later line with a taken id is refused, not dropped.
TEST(NodesFile, NamesEveryRefusedLineWithItsFileAndNumber) {
    const std::string path = Folder("lines") + "/nodes";
    std::ofstream(path) << "# nodes\n"
                           "1 127.0.0.1:1161 2c public 1000 1 first\n"
                           "\n"
                           "garbage\n"
                           "2 127.0.0.1:abc 2c public 1000 1 bad port\n"
                           "3 127.0.0.1 3 alice 1000 1 auth=SHA authpass=short v3\n"
                           "1 127.0.0.1 2c public 1000 1 again\n"
                           "4 10.0.0.4 2c public 1000 1 last";
    std::vector<NodeConfig> nodes;
    std::vector<std::string> errors;
    ASSERT_TRUE(ReadNodesFile(path, nodes, errors));
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[0].name, "first");
    EXPECT_EQ(nodes[1].name, "last");
    const std::vector<std::string> expected = {
        path + ":4: id \"garbage\" is not a whole number",
        path + ":5: port \"abc\" is not a whole number",
        path + ":6: authpass has 5 characters, fewer than 8",
        path + ":7: id 1 is taken by line 2",
    };
    EXPECT_EQ(errors, expected);
    EXPECT_FALSE(ReadNodesFile(path + ".missing", nodes, errors));
}

} // namespace
