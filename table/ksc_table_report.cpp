// KSCTable: what a host reads of the table and where it finds the cells to click.
#include "table/ksc_table.h"

#include "platform/core/text_reply.h"

namespace {

// A text as one field of a tab-separated line.
void AppendField(std::string& out, const std::string& text, bool first) {
    if (!first) {
        out += '\t';
    }
    for (char c : text) {
        out += c == '\t' || c == '\n' || c == '\r' ? ' ' : c;
    }
}

} // namespace

// Tab-separated text: a line of every column's title in column order (hidden columns
// too), then one line per row in display order (the sort column's order when one is set)
// with every cell of that row in column order. Each line ends with '\n'; a tab or line
// break inside a text is written as a blank.
std::string KSCTable::Report() const {
    std::string out;
    const int columns = m_model.GetColumnCount();
    for (int column = 0; column < columns; column++) {
        AppendField(out, m_model.GetColumnTitle(column), column == 0);
    }
    out += '\n';
    for (int display = 0; display < m_model.GetRowCount(); display++) {
        const int row = m_model.DisplayRowToRow(display);
        for (int column = 0; column < columns; column++) {
            AppendField(out, m_model.GetCellText(row, column), column == 0);
        }
        out += '\n';
    }
    return out;
}

// WM_GETREPORT (hostapi/window_report.h) with Report() as the text.
LRESULT KSCTable::OnGetReport(WPARAM size, LPARAM buffer) {
    return CopyTextReply(Report(), size, buffer);
}

// WM_GETCELLRECT (hostapi/window_report.h): the cell as painting places it, only while
// some of it shows inside the client area.
LRESULT KSCTable::OnGetCellRect(WPARAM row, LPARAM rect) {
    RECT* out = reinterpret_cast<RECT*>(rect);
    if (out == nullptr) {
        return FALSE;
    }
    const int column = out->left;
    if (row == CELLRECT_HEADER) {
        GetHeaderRect(column, out);
    } else if (row < static_cast<WPARAM>(m_model.GetRowCount())) {
        GetCellRect(static_cast<int>(row), column, out);
    } else {
        *out = RECT{};
    }
    CRect client;
    GetClientRect(&client);
    RECT shown{};
    if (!IntersectRect(&shown, out, &client)) {
        *out = RECT{};
        return FALSE;
    }
    return TRUE;
}

// WM_GETCOLUMNORDER (hostapi/window_report.h): the display order, frozen columns first.
LRESULT KSCTable::OnGetColumnOrder(WPARAM count, LPARAM buffer) {
    int* out = reinterpret_cast<int*>(buffer);
    const int displayed = m_model.GetDisplayedCount();
    for (int p = 0; out != nullptr && p < displayed && static_cast<WPARAM>(p) < count; p++) {
        out[p] = m_model.GetDisplayColumn(p);
    }
    return displayed;
}
