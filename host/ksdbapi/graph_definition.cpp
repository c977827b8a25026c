#include "host/ksdbapi/graph_definition.h"

#include "common/number_text.h"
#include "host/ksdbapi/record.h"

namespace ksdb {

GraphDefinition ReadGraphRecord(const Record& record) {
    GraphDefinition definition;
    definition.parent = static_cast<uint32_t>(record.GetInt(FLD_GRAPH_PARENT));
    definition.title = record.GetText(FLD_NAME);
    for (int row = 1; row <= record.RowCount(); ++row) {
        GraphSeries series;
        series.index = row - 1;
        // A row that names no node id polls node 0, which answers as an unknown node.
        if (ParseWholeInteger(record.RowText(row, FLD_SERIES_NODE), series.node) !=
            NumberError::kNone) {
            series.node = 0;
        }
        series.instance = record.RowText(row, FLD_SERIES_INSTANCE);
        series.legend = record.RowText(row, FLD_SERIES_LEGEND);
        series.expression = record.RowText(row, FLD_SERIES_EXPRESSION);
        definition.series.push_back(std::move(series));
    }
    return definition;
}

} // namespace ksdb
