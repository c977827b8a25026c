// End to end: a CMibWalker walks the six matrixSDTable columns of the demo probe
// over SNMP through the real host library and must collect exactly the rows that
// snmpwalk shows for the same columns.
#include "platform/platform_app.h"
#include "tests/support/snmpwalk_reader.h"
#include "tests/walker/collecting_walker.h"

#include <gtest/gtest.h>

#include <map>

namespace {

const char kEntry[] = "1.3.6.1.2.1.16.6.2.1.";
// matrixSDTable column numbers of kMatrixColumnNames.
const int kColumnNumbers[6] = {3, 1, 2, 5, 4, 6};

struct Column {
    std::vector<std::string> instances;
    std::map<std::string, std::string> values;
};

Column WalkColumn(const std::string& agent, int number) {
    const std::string oid = kEntry + std::to_string(number);
    Column column;
    for (const WalkedVariable& variable : Snmpwalk(agent, oid)) {
        const std::string instance = variable.name.substr(oid.size()); // ".1.6...."
        column.instances.push_back(instance);
        column.values[instance] = variable.value;
    }
    return column;
}

TEST(WalkerProbeTest, CollectsExactlyTheRowsSnmpwalkShows) {
    PlatformApp::Init();
    const std::string port = ProbePort(TESSARAN_PROBE_DIR);
    ASSERT_FALSE(port.empty());
    const std::string agent = "127.0.0.1:" + port;

    std::vector<Column> columns;
    for (int number : kColumnNumbers) {
        columns.push_back(WalkColumn(agent, number));
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
