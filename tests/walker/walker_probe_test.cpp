// End to end: a CMibWalker walks the six matrixSDTable columns of the demo probe
// over SNMP through the real host library and must collect exactly the rows that
// snmpwalk shows for the same columns.
#include "platform/platform_app.h"
#include "tests/walker/collecting_walker.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <stdio.h>

namespace {

const char kEntry[] = "1.3.6.1.2.1.16.6.2.1.";
// matrixSDTable column numbers of kMatrixColumnNames.
const int kColumnNumbers[6] = {3, 1, 2, 5, 4, 6};

struct Column {
    std::vector<std::string> instances;
    std::map<std::string, std::string> values;
};

// snmpwalk -On -Oq -Ox prints ".oid value", octet strings as "00 A0 C9 ".
Column SnmpWalk(const std::string& agent, int column) {
    const std::string oid = kEntry + std::to_string(column);
    const std::string command = "snmpwalk -v2c -c public -On -Oq -Ox " + agent + " " + oid;
    Column result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char line[1024];
    while (fgets(line, sizeof line, pipe) != nullptr) {
        std::string text(line);
        const size_t blank = text.find(' ');
        if (blank == std::string::npos) {
            continue;
        }
        const std::string instance = text.substr(oid.size() + 1, blank - oid.size() - 1);
        std::string value = text.substr(blank + 1);
        while (!value.empty() &&
               (value.back() == '\n' || value.back() == ' ' || value.back() == '"')) {
            value.pop_back();
        }
        if (!value.empty() && value.front() == '"') {
            value.erase(0, 1);
        }
        // At the end of the agent's MIB snmpwalk repeats the last name with the
        // endOfMibView text; the first value stands.
        if (result.values.emplace(instance, value).second) {
            result.instances.push_back(instance);
        }
    }
    pclose(pipe);
    return result;
}

TEST(WalkerProbeTest, CollectsExactlyTheRowsSnmpwalkShows) {
    PlatformApp::Init();
    std::string port;
    std::ifstream(std::string(TESSARAN_PROBE_DIR) + "/port") >> port;
    ASSERT_FALSE(port.empty());
    const std::string agent = "127.0.0.1:" + port;

    std::vector<Column> columns;
    for (int number : kColumnNumbers) {
        columns.push_back(SnmpWalk(agent, number));
    }
    std::vector<WalkedRow> expected;
    for (const std::string& instance : columns[0].instances) {
        WalkedRow row{instance, {}};
        for (const Column& column : columns) {
            row.values.push_back(column.values.count(instance) ? column.values.at(instance) : "");
        }
        expected.push_back(row);
    }
    ASSERT_GT(expected.size(), 100u);

    CollectingWalker walker;
    ASSERT_TRUE(walker.Connect(0));
    ASSERT_TRUE(walker.SetColumnsByName(kMatrixColumnNames, 6));
    walker.SetTargetNode(1); // the demo probe in the fixture's nodes file
    walker.WalkAndWait();
    ASSERT_EQ(walker.rows.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(walker.rows[i], expected[i]) << "row " << i;
    }
    EXPECT_EQ(walker.done, std::vector<std::string>{expected.back().instance});
}

} // namespace
