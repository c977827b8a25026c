// rmonprobe's command line and configuration file: values are taken whole and within
// their range, and every refusal names what was wrong.
#include "probe/agent_access.h"
#include "probe/probe_config.h"
#include "probe/probe_options.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using probe::ProbeConfig;
using probe::ProbeOptions;

// Parses `args` after the program name; the error text, or "" when they were accepted.
std::string Parse(std::vector<const char*> args, ProbeOptions& options) {
    args.insert(args.begin(), "rmonprobe");
    std::string error;
    return probe::ParseProbeOptions(int(args.size()), args.data(), options, error) ? "" : error;
}

std::string ParseError(std::vector<const char*> args) {
    ProbeOptions options;
    return Parse(std::move(args), options);
}

std::string ConfigError(const std::string& text) {
    ProbeConfig config;
    std::string error;
    return probe::ParseProbeConfig(text, config, error) ? "" : error;
}

TEST(ProbeOptions, NumbersAreReadWholeAndWithinRange) {
    const std::string notNumber = "is not a whole decimal number";
    EXPECT_EQ(ParseError({"-r", "f", "--table-size", "10abc"}),
              "--table-size: \"10abc\" " + notNumber);
    EXPECT_EQ(ParseError({"-r", "f", "--table-size", "1e3"}), "--table-size: \"1e3\" " + notNumber);
    EXPECT_EQ(ParseError({"-r", "f", "--table-size", "-1"}), "--table-size: \"-1\" " + notNumber);
    EXPECT_EQ(ParseError({"-r", "f", "--table-size", " 5"}), "--table-size: \" 5\" " + notNumber);
    EXPECT_EQ(ParseError({"-r", "f", "--if-index", "-1"}), "--if-index: \"-1\" " + notNumber);
    EXPECT_EQ(ParseError({"-r", "f", "--table-size", "18446744073709551621"}),
              "--table-size: \"18446744073709551621\" is out of range 1 to 4294967294");
}

// Each numeric option at both ends of its range and one step beyond each.
TEST(ProbeOptions, EveryRangeHoldsBothEndsOnly) {
    struct Range {
        const char* option;
        const char* low;
        const char* high;
        const char* below;
        const char* above;
        const char* range;
    };
    const Range ranges[] = {
        {"--port", "1", "65535", "0", "65536", "1 to 65535"},
        {"--table-size", "1", "4294967294", "0", "4294967295", "1 to 4294967294"},
        {"--if-index", "1", "2147483647", "0", "2147483648", "1 to 2147483647"},
    };
    for (const Range& range : ranges) {
        for (const char* value : {range.low, range.high}) {
            EXPECT_EQ(ParseError({"-r", "f", range.option, value}), "") << range.option << value;
        }
        for (const char* value : {range.below, range.above}) {
            EXPECT_EQ(ParseError({"-r", "f", range.option, value}),
                      std::string(range.option) + ": \"" + value + "\" is out of range " +
                          range.range);
        }
    }
    ProbeOptions options;
    EXPECT_EQ(Parse({"-r", "f", "--table-size", "1", "--port", "1", "--if-index", "1", "--owner",
                     std::string(127, 'o').c_str()},
                    options),
              "");
    EXPECT_EQ(options.tableSize, 1u);
    EXPECT_EQ(options.port, 1);
    EXPECT_EQ(options.ifIndex, 1u);
    EXPECT_EQ(options.owner.size(), 127u);
    EXPECT_EQ(Parse({"-r", "f", "--table-size", "4294967294", "--port", "65535", "--if-index",
                     "2147483647"},
                    options),
              "");
    EXPECT_EQ(options.tableSize, 4294967294u);
    EXPECT_EQ(options.port, 65535);
    EXPECT_EQ(options.ifIndex, 2147483647u);
}

TEST(ProbeOptions, RefusalsNameTheOptionAndReason) {
    EXPECT_EQ(ParseError({"-r", "f", "--short-frames", "short"}),
              "--short-frames: \"short\" is neither runt nor pad");
    EXPECT_EQ(ParseError({"-r", "f", "--address", "localhost"}),
              "--address: \"localhost\" is not an IPv4 or IPv6 address");
    EXPECT_EQ(ParseError({"-r", "f", "--owner", std::string(128, 'o').c_str()}),
              "--owner: \"" + std::string(128, 'o') + "\" is longer than 127 characters");
    EXPECT_EQ(ParseError({"--size", "3"}), "--size: no such option (--help lists them)");
    EXPECT_EQ(ParseError({"-r"}), "-r: a value is missing");
    EXPECT_EQ(ParseError({"-i", ""}), "-i: \"\" is empty: an interface needs a name");
    EXPECT_EQ(ParseError({"--config", ""}), "--config: \"\" is empty: name a file");
    EXPECT_EQ(ParseError({"-r", ""}), "-r: \"\" is empty: name a file");
    EXPECT_EQ(ParseError({"-r", "f", "-i", "eth0"}),
              "-r and -i: a file and an interface cannot be counted together");
    EXPECT_EQ(ParseError({"-i", "eth0", "--fast"}),
              "--fast: only a replay (-r FILE) can run as fast as it reads");
    EXPECT_EQ(ParseError({"-i", "a", "-i", "b", "--if-index", "3"}),
              "--if-index: several interfaces each have their own index");

    ProbeOptions options;
    EXPECT_EQ(Parse({"--table-size", "x", "--help"}, options),
              "--table-size: \"x\" " + std::string("is not a whole decimal number"));
    EXPECT_EQ(Parse({"--help", "-r", "f", "-i", "eth0"}, options), "");
    EXPECT_TRUE(options.help);
}

TEST(ProbeOptions, UsageDescribesEveryOption) {
    const std::string usage = probe::ProbeUsage();
    for (const char* option :
         {"-i IFACE", "-r FILE", "--fast", "--config FILE", "--address A", "--port N",
          "--table-size N", "--fcs", "--short-frames", "--if-index N", "--owner TEXT",
          "--check-config", "--help", "--version"}) {
        EXPECT_NE(usage.find("  " + std::string(option)), std::string::npos) << option;
    }
}

TEST(ProbeConfig, ReadsEverySetting) {
    ProbeConfig config;
    std::string error;
    ASSERT_TRUE(probe::ParseProbeConfig("# a probe\n"
                                        "interface eth0\n"
                                        "interface eth1 # the second\n"
                                        "listen 10.0.0.1:161\n"
                                        "listen [::1]:1161\n"
                                        "community ops 10.1.0.0/16 192.168.1.7 fd00::/8\n"
                                        "user mon SHA-256 authpass1 AES privpass1\n"
                                        "contact  Network operations <noc@example.net>  \n"
                                        "location rack 4\n",
                                        config, error))
        << error;
    EXPECT_EQ(config.interfaces, (std::vector<std::string>{"eth0", "eth1"}));
    ASSERT_EQ(config.listen.size(), 2u);
    EXPECT_EQ(probe::TransportList(config.listen), "udp:10.0.0.1:161,udp6:[::1]:1161");
    EXPECT_EQ(config.contact, "Network operations <noc@example.net>");
    EXPECT_EQ(config.location, "rack 4");
    EXPECT_EQ(probe::AccessLines(config),
              (std::vector<std::string>{"rwcommunity ops 10.1.0.0/16",
                                        "rwcommunity ops 192.168.1.7", "rwcommunity6 ops fd00::/8",
                                        "createUser mon SHA-256 authpass1 AES privpass1",
                                        "rwuser mon priv"}));

    // No listen line: the loopback default; no community: none at all.
    ASSERT_TRUE(probe::ParseProbeConfig("interface eth0\n", config, error));
    EXPECT_EQ(probe::TransportList(config.listen), "udp:127.0.0.1:1161");
    EXPECT_TRUE(probe::AccessLines(config).empty());
    // No file: the loopback default, "public" from loopback only.
    EXPECT_EQ(probe::AccessLines(probe::DefaultProbeConfig()),
              (std::vector<std::string>{"rwcommunity public 127.0.0.0/8",
                                        "rwcommunity6 public ::1/128"}));
}

// The configuration file the package installs is valid and as secure as none at all.
TEST(ProbeConfig, ShippedFileKeepsToLoopback) {
    ProbeConfig config;
    std::string error;
    ASSERT_TRUE(probe::ReadProbeConfig(SHIPPED_CONFIG, config, error)) << error;
    EXPECT_EQ(probe::TransportList(config.listen), "udp:127.0.0.1:1161");
    EXPECT_EQ(probe::AccessLines(config), probe::AccessLines(probe::DefaultProbeConfig()));
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += (text.empty() ? "" : ",") + line;
    }
    return text;
}

// The configuration's syntax and the edges of its ranges: each text gives either its error
// or, read through `field`, the value expected.
TEST(ProbeConfig, SyntaxAndRanges) {
    using Field = std::function<std::string(const ProbeConfig&)>;
    const Field contact = [](const ProbeConfig& c) { return c.contact; };
    const Field location = [](const ProbeConfig& c) { return c.location; };
    const Field access = [](const ProbeConfig& c) { return Joined(probe::AccessLines(c)); };
    const Field listen = [](const ProbeConfig& c) { return probe::TransportList(c.listen); };
    const Field interfaces = [](const ProbeConfig& c) { return Joined(c.interfaces); };
    const std::string user = "user mon SHA-256 authpass1 AES ";
    const std::string created = "createUser mon SHA-256 authpass1 AES ";
    struct Case {
        std::string text;
        std::string error; // empty: accepted
        Field field;
        std::string value;
    };
    const Case cases[] = {
        {"contact \"NOC desk #3\"", "", contact, "NOC desk #3"},
        {"contact NOC desk #3", "", contact, "NOC desk"},
        {"location \"rack \\\"4\\\" \\\\ left\"", "", location, "rack \"4\" \\ left"},
        {"location  two   words  ", "", location, "two words"},
        {user + "privpass1#x", "", access, created + "privpass1#x,rwuser mon priv"},
        {"# interface eth8\n  #interface eth9\ninterface eth0 #eth1", "", interfaces, "eth0"},
        {"contact \"open", "line 1: a quote is not closed", nullptr, ""},
        {"contact \"a\"b", "line 1: a closing quote is followed by more than a blank", nullptr, ""},
        {"interface \"\"", "line 1: interface: the name is empty", nullptr, ""},
        {"community \"a b\" 10.0.0.0/8", "line 1: community: \"a b\" holds a blank", nullptr, ""},
        {"listen 127.0.0.1:1161", "", listen, "udp:127.0.0.1:1161"},
        {"listen 127.0.0.1:1161\nlisten 127.0.0.1:1161",
         "line 2: listen: \"127.0.0.1:1161\" is named twice (line 1 too)", nullptr, ""},
        {"listen 127.0.0.1:1\nlisten [::1]:65535\nlisten 127.0.0.1:1",
         "line 3: listen: \"127.0.0.1:1\" is named twice (line 1 too)", nullptr, ""},
        {"listen 127.0.0.1:1\nlisten [::1]:65535", "", listen, "udp:127.0.0.1:1,udp6:[::1]:65535"},
        {"listen 127.0.0.1:0",
         "line 1: listen: \"127.0.0.1:0\" has a port that is out of range 1 to 65535", nullptr, ""},
        {"community ops 0.0.0.0/0 ::/0", "", access,
         "rwcommunity ops 0.0.0.0/0,rwcommunity6 ops ::/0"},
        {"community ops 10.0.0.1/32 ::1/128", "", access,
         "rwcommunity ops 10.0.0.1/32,rwcommunity6 ops ::1/128"},
        {"community ops ::/129",
         "line 1: community: \"::/129\" is not a network (ADDRESS or ADDRESS/BITS)", nullptr, ""},
        {user + "12345678", "", access, created + "12345678,rwuser mon priv"},
        {user + "1234567", "line 1: user: passphrases need at least 8 characters", nullptr, ""},
        {"contact " + std::string(255, 'c'), "", contact, std::string(255, 'c')},
        {"contact " + std::string(256, 'c'), "line 1: contact: is longer than 255 characters",
         nullptr, ""},
    };
    for (const Case& c : cases) {
        ProbeConfig config;
        std::string error;
        const bool accepted = probe::ParseProbeConfig(c.text + "\n", config, error);
        EXPECT_EQ(accepted ? "" : error, c.error) << c.text;
        if (accepted && c.field) {
            EXPECT_EQ(c.field(config), c.value) << c.text;
        }
    }
}

TEST(ProbeConfig, AFolderIsNoConfigurationFile) {
    ProbeConfig config;
    std::string error;
    const std::string folder = testing::TempDir();
    EXPECT_FALSE(probe::ReadProbeConfig(folder, config, error));
    EXPECT_EQ(error, folder + ": is a folder, not a configuration file");
    EXPECT_FALSE(probe::ReadProbeConfig(folder + "/no-such-file.conf", config, error));
    EXPECT_EQ(error, folder + "/no-such-file.conf: cannot be read: No such file or directory");
}

TEST(ProbeConfig, RefusalsNameTheLineAndReason) {
    EXPECT_EQ(ConfigError("\ncommunity ops 10.0.0.0/33\n"),
              "line 2: community: \"10.0.0.0/33\" is not a network (ADDRESS or ADDRESS/BITS)");
    EXPECT_EQ(ConfigError("community ops\n"),
              "line 1: community: needs NAME and at least one source NETWORK");
    EXPECT_EQ(ConfigError("listen 127.0.0.1:70000\n"),
              "line 1: listen: \"127.0.0.1:70000\" has a port that is out of range 1 to 65535");
    EXPECT_EQ(ConfigError("listen ::1:161\n"),
              "line 1: listen: \"::1:161\" is not ADDRESS:PORT or [IPv6-ADDRESS]:PORT");
    EXPECT_EQ(ConfigError("user mon MD5 authpass1 AES privpass1\n"),
              "line 1: user: \"MD5\" is not SHA, SHA-224, SHA-256, SHA-384 or SHA-512");
    EXPECT_EQ(ConfigError("user mon SHA-256 authpass1 DES privpass1\n"),
              "line 1: user: \"DES\" is not AES (AES-128)");
    EXPECT_EQ(ConfigError("user mon SHA-256 short AES privpass1\n"),
              "line 1: user: passphrases need at least 8 characters");
    EXPECT_EQ(ConfigError("interface\n"), "line 1: interface: takes one value");
    EXPECT_EQ(ConfigError("rocommunity public\n"),
              "line 1: rocommunity: is no setting (interface, listen, community, user, contact, "
              "location)");
}

} // namespace
