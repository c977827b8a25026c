// A graph as a posted table-12 record describes it: the window to draw in, the name, and
// one series per variable row (series k is row k + 1). The database hands it to the graph
// engine as plain data, so that the engine needs none of the database's records.
//
// FLD_GRAPH_OPTION, FLD_TYPE, FLD_SERIES_CODE and FLD_SERIES_ON are kept by the database
// but change nothing here: every series of the record is drawn as a line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ksdb {

class Record;

struct GraphSeries {
    int index = 0;     // FLD_SERIES_INDEX
    uint32_t node = 0; // FLD_SERIES_NODE: the node polled; 0 when the row names none
    std::string instance;
    std::string legend;
    std::string expression;
};

struct GraphDefinition {
    uint32_t parent = 0; // FLD_GRAPH_PARENT: the window handle to draw in
    std::string title;   // FLD_NAME
    std::vector<GraphSeries> series;
};

GraphDefinition ReadGraphRecord(const Record& record);

} // namespace ksdb
