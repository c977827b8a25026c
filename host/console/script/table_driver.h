// A plug-in's table window as script mode sees it: found by its child id, read through
// WM_GETREPORT, clicked where WM_GETCELLRECT says its cells are, scrolled with the same
// messages its scroll bars send. Nothing here knows the control's class.
#pragma once

#include "platform/core/win32.h"

#include <string>
#include <vector>

class TableDriver {
  public:
    // The table with child id `id` of `parent`; IsOpen() is false when there is none.
    TableDriver(HWND parent, int id);

    bool IsOpen() const { return m_table != NULL; }
    HWND Handle() const { return m_table; }
    // The window's report: a title line, then one line per row in display order.
    std::string Report() const;
    std::vector<std::string> Titles() const;
    int RowCount() const;
    // A column by its title, by its English title (the text the plug-in localises), else by
    // its index; -1 when there is no such column.
    int ColumnByName(const std::string& name) const;
    // The shown columns, left to right (scrolled out of sight or not).
    std::vector<int> ColumnOrder() const;
    // The table as CSV (RFC 4180: CRLF line ends, a field with a comma, quote or line break
    // quoted, quotes doubled): a title line, then every row in display order; the shown
    // columns in display order, then the hidden ones, whose titles get " address" (the
    // Matrix view hides the addresses as the probe answered them behind the names).
    std::string Csv() const;

    // Where a cell (or, for CELLRECT_HEADER, a header cell) shows in the table's client
    // area; false when it does not show.
    bool CellRect(int column, WPARAM row, RECT& rect) const;

    // Double-clicks the header cell of a shown column; false when it does not show.
    bool DoubleClickHeader(int column);
    // Clears the selection with a click on a header, as a user of a row-selecting table.
    bool ClearSelection();
    // Ctrl-clicks the first shown cell of a display row, scrolling it into view first.
    bool CtrlClickRow(int row);

  private:
    bool CellCenter(int column, WPARAM row, POINT& point) const;
    int FirstShownColumn(WPARAM row, POINT& point) const;
    void Click(POINT point, UINT keys);

    HWND m_table = NULL;
};
