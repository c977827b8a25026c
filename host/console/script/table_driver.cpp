#include "host/console/script/table_driver.h"

#include "common/number_text.h"
#include "host/console/script/tab_fields.h"
#include "hostapi/ksmem32.h"
#include "hostapi/window_report.h"
#include "platform/core/text_reply.h"

#include <algorithm>
#include <sstream>

namespace {

// Added to a hidden column's title, in the language of the title (Localize's rule, which
// the plug-in's titles follow too).
const char kHiddenTitleSuffix[] = " address";

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c == '"' ? "\"\"" : std::string(1, c);
    }
    return quoted + "\"";
}

// One CSV record of the report line's fields, in the given column order.
std::string CsvRecord(const std::vector<std::string>& fields, const std::vector<int>& order) {
    std::string record;
    for (size_t i = 0; i < order.size(); ++i) {
        const size_t column = static_cast<size_t>(order[i]);
        record += (i == 0 ? "" : ",") + CsvField(column < fields.size() ? fields[column] : "");
    }
    return record + "\r\n";
}

} // namespace

TableDriver::TableDriver(HWND parent, int id) {
    HWND table = parent != NULL && IsWindow(parent) ? GetDlgItem(parent, id) : NULL;
    m_table = table != NULL && IsWindow(table) ? table : NULL;
}

std::string TableDriver::Report() const {
    return m_table == NULL ? "" : ReadTextReply(m_table, WM_GETREPORT);
}

std::vector<std::string> TableDriver::Titles() const {
    const std::string report = Report();
    return SplitTabs(report.substr(0, report.find('\n')));
}

int TableDriver::RowCount() const {
    const std::string report = Report();
    int lines = 0;
    for (char c : report) {
        lines += c == '\n';
    }
    return lines > 0 ? lines - 1 : 0;
}

// The first column titled `name` or, as the plug-in passes its titles through Localize,
// titled with the translation of the English `name`.
int TableDriver::ColumnByName(const std::string& name) const {
    const std::vector<std::string> titles = Titles();
    const std::string translated = Localize(name.c_str());
    for (const std::string& wanted : {name, translated}) {
        for (size_t column = 0; column < titles.size(); ++column) {
            if (titles[column] == wanted) {
                return static_cast<int>(column);
            }
        }
    }
    int index = -1;
    const int last = static_cast<int>(titles.size()) - 1;
    return ParseWholeInteger(name, index, 0, last) == NumberError::kNone ? index : -1;
}

std::vector<int> TableDriver::ColumnOrder() const {
    if (m_table == NULL) {
        return {};
    }
    std::vector<int> order(static_cast<size_t>(SendMessage(m_table, WM_GETCOLUMNORDER, 0, 0)));
    const LRESULT count = SendMessage(m_table, WM_GETCOLUMNORDER, order.size(),
                                      reinterpret_cast<LPARAM>(order.data()));
    order.resize(std::min(order.size(), static_cast<size_t>(count)));
    return order;
}

std::string TableDriver::Csv() const {
    std::istringstream report(Report());
    std::string line;
    if (!std::getline(report, line)) {
        return "";
    }
    std::vector<std::string> titles = SplitTabs(line);
    std::vector<int> order = ColumnOrder();
    const size_t shown = order.size();
    for (int column = 0; column < static_cast<int>(titles.size()); ++column) {
        if (std::find(order.begin(), order.begin() + shown, column) == order.begin() + shown) {
            order.push_back(column);
            titles[column] += Localize(kHiddenTitleSuffix);
        }
    }
    std::string csv = CsvRecord(titles, order);
    while (std::getline(report, line)) {
        csv += CsvRecord(SplitTabs(line), order);
    }
    return csv;
}

bool TableDriver::CellRect(int column, WPARAM row, RECT& rect) const {
    rect = RECT{column, 0, 0, 0};
    return m_table != NULL &&
           SendMessage(m_table, WM_GETCELLRECT, row, reinterpret_cast<LPARAM>(&rect));
}

bool TableDriver::CellCenter(int column, WPARAM row, POINT& point) const {
    RECT cell{};
    if (!CellRect(column, row, cell)) {
        return false;
    }
    point = {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    return true;
}

// The first column that shows a cell of the row (hidden columns show none).
int TableDriver::FirstShownColumn(WPARAM row, POINT& point) const {
    const int columns = static_cast<int>(Titles().size());
    for (int column = 0; column < columns; ++column) {
        if (CellCenter(column, row, point)) {
            return column;
        }
    }
    return -1;
}

// A click as the system delivers it: button down, button up.
void TableDriver::Click(POINT point, UINT keys) {
    const LPARAM at = MAKELPARAM(point.x, point.y);
    SendMessage(m_table, WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    SendMessage(m_table, WM_LBUTTONUP, keys, at);
}

bool TableDriver::DoubleClickHeader(int column) {
    POINT point{};
    if (m_table == NULL || !CellCenter(column, CELLRECT_HEADER, point)) {
        return false;
    }
    Click(point, 0);
    SendMessage(m_table, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    SendMessage(m_table, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    return true;
}

bool TableDriver::ClearSelection() {
    POINT point{};
    if (m_table == NULL || FirstShownColumn(CELLRECT_HEADER, point) < 0) {
        return false;
    }
    Click(point, 0);
    return true;
}

// A row out of sight is brought to the top with the thumb, as a user drags it.
bool TableDriver::CtrlClickRow(int row) {
    if (m_table == NULL || row < 0 || row >= RowCount()) {
        return false;
    }
    POINT point{};
    if (FirstShownColumn(row, point) < 0) {
        SendMessage(m_table, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, row), 0);
        if (FirstShownColumn(row, point) < 0) {
            return false;
        }
    }
    Click(point, MK_CONTROL);
    return true;
}
