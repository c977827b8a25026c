// The reference the SNMP tests compare with: net-snmp's snmpwalk run against an agent.
#pragma once

#include <string>
#include <vector>

struct WalkedVariable {
    std::string name;  // numeric identifier without the leading dot: "1.3.6.1.2.1.16.6.2.1.1.1"
    std::string value; // bare: numbers in decimal, octet strings as "00 A0 C9 12 34 56"
};

// Walks the subtree of oid on agent ("127.0.0.1:1161") with community "public" and SNMP
// version "2c" or "1"; empty when snmpwalk fails. The endOfMibView notice that ends a walk
// at the agent's last variable is not a variable.
std::vector<WalkedVariable> Snmpwalk(const std::string& agent, const std::string& oid,
                                     const std::string& version = "2c");

// The same with a walk command of one's own and its security options:
// "snmpbulkwalk -v3 -l authPriv -u USER -a SHA-256 -A PASS -x AES -X PASS".
std::vector<WalkedVariable> RunWalk(const std::string& walk, const std::string& agent,
                                    const std::string& oid);

// The port of the demo probe that the test fixture started (its folder's "port" file).
std::string ProbePort(const std::string& probeDir);
