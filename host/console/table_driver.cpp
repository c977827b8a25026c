#include "host/console/table_driver.h"

#include "host/console/tab_fields.h"
#include "hostapi/ksmem32.h"
#include "hostapi/window_report.h"
#include "platform/text_reply.h"

#include <cstdlib>

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
    char* end = nullptr;
    const long index = std::strtol(name.c_str(), &end, 10);
    const bool number = !name.empty() && *end == '\0';
    return number && index >= 0 && index < static_cast<long>(titles.size())
               ? static_cast<int>(index)
               : -1;
}

bool TableDriver::CellCenter(int column, WPARAM row, POINT& point) const {
    RECT cell{column, 0, 0, 0};
    if (!SendMessage(m_table, WM_GETCELLRECT, row, reinterpret_cast<LPARAM>(&cell))) {
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
