// rmonprobe's command line and configuration file: values are taken whole and within
// their range, and every refusal names what was wrong.
#include "probe/agent_access.h"
#include "probe/probe_config.h"
#include "probe/probe_options.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(ParseError({"-r", "f", "--table-size", "4294967296"}),
              "--table-size: \"4294967296\" is out of range 1 to 4294967294");
    EXPECT_EQ(ParseError({"-r", "f", "--port", "4294984467"}),
              "--port: \"4294984467\" is out of range 1 to 65535");
    EXPECT_EQ(ParseError({"-r", "f", "--port", "0"}), "--port: \"0\" is out of range 1 to 65535");

    ProbeOptions options;
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
    for (const char* option : {"-i IFACE", "-r FILE", "--fast", "--config FILE", "--address A",
                               "--port N", "--table-size N", "--fcs", "--short-frames",
                               "--if-index N", "--owner TEXT", "--help", "--version"}) {
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
