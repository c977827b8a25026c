// rmonprobe's configuration file: one setting a line, words separated by blanks; "#" at the
// start of a line or of a word starts a comment; a word in double quotes may hold blanks and
// "#" (\" and \\ inside stand for a quote and a backslash).
//   interface NAME                    a live interface to count (repeatable)
//   listen ADDRESS:PORT               a UDP address to answer on, [ADDRESS]:PORT for IPv6,
//                                     each named once
//   community NAME NETWORK...         a read-only v1/v2c community and the source networks
//                                     (ADDRESS or ADDRESS/BITS) it answers
//   user NAME AUTH KEY PRIV KEY       a read-only SNMPv3 user, authentication and privacy
//                                     required; AUTH SHA, SHA-224, SHA-256, SHA-384 or
//                                     SHA-512, PRIV AES (AES-128); passphrases of 8 or more
//   contact TEXT, location TEXT       sysContact.0 and sysLocation.0 (the words of the rest
//                                     of the line, joined by one blank)
#pragma once

#include <string>
#include <vector>

namespace probe {

struct Endpoint {
    std::string address;
    int port = 0;
};

struct Community {
    std::string name;
    std::vector<std::string> sources; // networks, ADDRESS or ADDRESS/BITS
};

struct SnmpUser {
    std::string name;
    std::string authProtocol; // as net-snmp names it: SHA, SHA-224 ... SHA-512
    std::string authKey;
    std::string privProtocol; // AES
    std::string privKey;
};

struct ProbeConfig {
    std::vector<std::string> interfaces;
    std::vector<Endpoint> listen;
    std::vector<Community> communities;
    std::vector<SnmpUser> users;
    std::string contact;
    std::string location;
};

// The configuration without a file: 127.0.0.1:1161 only, community "public" from the
// loopback networks only (IPv6's too, for --address ::1).
ProbeConfig DefaultProbeConfig();

// Reads configuration text. False with `error` set ("line 4: community: \"10.0.0.0/33\" is
// not a network (ADDRESS or ADDRESS/BITS)") at the first bad line. Without a listen line the
// default address is kept.
bool ParseProbeConfig(const std::string& text, ProbeConfig& config, std::string& error);

// Reads the file at `path` as above; errors start with the path (a folder is refused).
bool ReadProbeConfig(const std::string& path, ProbeConfig& config, std::string& error);

// "A:P", or "[A]:P" for an IPv6 address.
std::string EndpointText(const Endpoint& endpoint);

} // namespace probe
