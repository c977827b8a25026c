// The Matrix table the console should show for an agent, as the console's dump-table writes
// it: the matrix table as snmpwalk reads it, one row per conversation in the agent's order,
// names from the same name sources the console's conversion module reads.
//
// usage: expected_table AGENT ETHERS_FILE REGISTRY_DIR [WALK_COMMAND]
// WALK_COMMAND: the walk and its security options (default "snmpwalk -v2c -c public").
#include "common/number_text.h"
#include "host/parlance/name_resolver.h"
#include "tests/support/snmpwalk_reader.h"
#include "view/matrix_columns.h"

#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

const std::string kMatrixEntry = "1.3.6.1.2.1.16.6.2.1";

// matrixSDTable column numbers.
enum { kSource = 1, kDestination = 2, kIndex = 3, kPackets = 4, kOctets = 5, kErrors = 6 };

struct Conversation {
    std::map<int, std::string> values; // by column number
};

// Rows in the order the agent answers the first column, which is the order of the instances.
std::vector<Conversation> ReadMatrix(const std::string& walk, const std::string& agent) {
    std::vector<Conversation> rows;
    std::map<std::string, size_t> rowOf;
    for (const WalkedVariable& variable : RunWalk(walk, agent, kMatrixEntry)) {
        const std::string rest = variable.name.substr(kMatrixEntry.size() + 1);
        const size_t dot = rest.find('.');
        int column = 0;
        if (dot == std::string::npos || ParseWholeInteger(std::string_view(rest).substr(0, dot),
                                                          column) != NumberError::kNone) {
            std::cerr << "expected_table: not a matrix entry: " << variable.name << "\n";
            continue;
        }
        auto [it, added] = rowOf.emplace(rest.substr(dot + 1), rows.size());
        if (added) {
            rows.emplace_back();
        }
        rows[it->second].values[column] = variable.value;
    }
    return rows;
}

void PrintLine(const std::vector<std::string>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
        std::cout << (i ? "\t" : "") << fields[i];
    }
    std::cout << '\n';
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::cerr << "usage: expected_table AGENT ETHERS_FILE REGISTRY_DIR [WALK_COMMAND]\n";
        return 2;
    }
    NameResolver names(argv[2], argv[3]);
    auto nameOf = [&names](const std::string& address) {
        const std::string name = names.Name(address.c_str());
        return name.empty() ? address : name;
    };
    std::vector<std::string> titles;
    for (const MatrixColumnSpec& column : kMatrixTableColumns) {
        titles.push_back(column.title);
    }
    PrintLine(titles);
    const std::string walk = argc == 5 ? argv[4] : "snmpwalk -v2c -c public";
    for (Conversation& row : ReadMatrix(walk, argv[1])) {
        std::map<int, std::string>& v = row.values;
        PrintLine({v[kIndex], nameOf(v[kSource]), nameOf(v[kDestination]), v[kSource],
                   v[kDestination], v[kOctets], v[kPackets], v[kErrors]});
    }
    return 0;
}
