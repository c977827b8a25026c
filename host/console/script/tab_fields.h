// The fields of one line of a window's report: tab-separated, as the table control and the
// conversation windows write them.
#pragma once

#include <sstream>
#include <string>
#include <vector>

inline std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) {
        fields.push_back(field);
    }
    return fields;
}
