#include "host/ksdbapi/graph_definition.h"

#include "host/ksdbapi/record.h"

#include <cstdlib>

namespace ksdb {

GraphDefinition ReadGraphRecord(const Record& record) {
    GraphDefinition definition;
    definition.parent = static_cast<uint32_t>(record.GetInt(FLD_GRAPH_PARENT));
    definition.title = record.GetText(FLD_NAME);
    for (int row = 1; row <= record.RowCount(); ++row) {
        GraphSeries series;
        series.index = row - 1;
        series.node = static_cast<uint32_t>(
            std::strtoul(record.RowText(row, FLD_SERIES_NODE).c_str(), nullptr, 10));
        series.instance = record.RowText(row, FLD_SERIES_INSTANCE);
        series.legend = record.RowText(row, FLD_SERIES_LEGEND);
        series.expression = record.RowText(row, FLD_SERIES_EXPRESSION);
        definition.series.push_back(std::move(series));
    }
    return definition;
}

} // namespace ksdb
