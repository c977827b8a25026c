// KSCTable input: hit testing, the mouse press state machine (resizing, header, row-header and
// cell clicks), double clicks, the keyboard, the focus cell and scrolling a cell into view.
#include "table/ksc_table.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kBorderSlop = 4; // a border is hit within this distance
constexpr int kMinExtent = 5;  // least width or height left by a border drag
constexpr int kTrackEnd = 65535;

} // namespace

// ---------------------------------------------------------------------------------------------
// Hit testing

int KSCTable::HitTest(int x, int y, int* column, int* columnLeft, int* row, int* rowTop) const {
    return HitLogical(ToLogical(POINT{x, y}), column, columnLeft, row, rowTop);
}

// Along u the displayed columns as painting places them, then along v the rows from topRow.
int KSCTable::HitLogical(POINT point, int* column, int* columnLeft, int* row, int* rowTop) const {
    int header = HeaderExtent();
    int right = 0;
    int p = 0;
    *column = 0;
    *columnLeft = 0;
    for (; p < PaintedColumnCount(); p++) {
        int index = DisplayColumn(p);
        int left = right;
        right += m_model.GetColumnWidth(index);
        if (std::abs(right - point.x) < kBorderSlop && point.y < header) {
            *column = index;
            *columnLeft = left;
            return HIT_COLUMN_BORDER;
        }
        if (right > point.x) {
            *column = index;
            *columnLeft = left;
            if (point.y < header) {
                return HIT_COLUMN_HEADER;
            }
            break;
        }
    }
    if (p == PaintedColumnCount()) {
        *column = p == m_model.GetColumnCount() ? 0 : p;
        *columnLeft = right;
    }
    int bottom = header;
    int position = m_view.topRow;
    for (int index = FirstRowAt(position); index >= 0; position++) {
        int top = bottom;
        bottom += RowExtent(index);
        if (std::abs(bottom - point.y) < kBorderSlop && point.x < m_model.GetColumnWidth(0)) {
            *row = position;
            *rowTop = top;
            return HIT_ROW_BORDER;
        }
        if (bottom > point.y) {
            *row = position;
            *rowTop = top;
            int first = m_model.GetDisplayColumn(0);
            if (IsKeyColumn(first) && point.x < m_model.GetColumnWidth(first)) {
                return HIT_ROW_HEADER;
            }
            return HIT_CELL;
        }
        index = NextRow(position, index);
    }
    return HIT_NONE;
}

// ---------------------------------------------------------------------------------------------
// Mouse press, move and release

void KSCTable::ClearFocus() {
    m_view.focusColumn = -1;
    m_view.focusRow = -1;
}

void KSCTable::BeginPress(UINT, CPoint point) {
    SetFocus();
    POINT logical = ToLogical(point);
    m_pressKind = HitLogical(logical, &m_hitColumn, &m_hitColumnLeft, &m_hitRow, &m_hitRowTop);
    m_pressPoint = logical;
    m_trackLine = POINT{-1, -1};
    m_trackMax = POINT{kTrackEnd, kTrackEnd};
    switch (m_pressKind) {
    case HIT_COLUMN_BORDER:
        ClearFocus();
        [[fallthrough]];
    case HIT_COLUMN_HEADER:
        m_trackMin = POINT{m_hitColumnLeft, 0};
        break;
    case HIT_ROW_BORDER:
        ClearFocus();
        [[fallthrough]];
    case HIT_ROW_HEADER:
        m_trackMin = POINT{0, m_hitRowTop};
        break;
    case HIT_CELL:
        break;
    default:
        ClearFocus();
        m_pressKind = HIT_NONE;
        return;
    }
    SetCapture();
}

void KSCTable::OnLButtonDown(UINT flags, CPoint point) {
    BeginPress(flags, point);
    CWnd::OnLButtonDown(flags, point);
}

void KSCTable::OnRButtonDown(UINT flags, CPoint point) {
    BeginPress(flags, point);
    CWnd::OnRButtonDown(flags, point);
}

BOOL KSCTable::IsColumnPress() const {
    return m_pressKind == HIT_COLUMN_BORDER;
}

POINT KSCTable::ClampTrack(POINT point) const {
    if (IsColumnPress()) {
        point.x = std::clamp<LONG>(point.x, m_trackMin.x + kMinExtent, m_trackMax.x);
    } else {
        point.y = std::clamp<LONG>(point.y, m_trackMin.y + kMinExtent, m_trackMax.y);
    }
    return point;
}

// Inverts the resize line through the tracked point; drawing it twice removes it.
void KSCTable::DrawTrackLine(POINT point) {
    CClientDC dc(this);
    CPen white;
    white.CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    CPen* oldPen = dc.SelectObject(&white);
    int oldMode = dc.SetROP2(R2_XORPEN);
    POINT from = IsColumnPress() ? POINT{point.x, m_trackMin.y} : POINT{m_trackMin.x, point.y};
    POINT to = IsColumnPress() ? POINT{point.x, m_trackMax.y} : POINT{m_trackMax.x, point.y};
    from = ToLogical(from);
    to = ToLogical(to);
    dc.MoveTo(from.x, from.y);
    dc.LineTo(to.x, to.y);
    dc.SetROP2(oldMode);
    dc.SelectObject(oldPen);
}

void KSCTable::TrackBorder(POINT point) {
    point = ClampTrack(point);
    if (m_trackLine.x != -1 || m_trackLine.y != -1) {
        DrawTrackLine(m_trackLine);
    }
    DrawTrackLine(point);
    m_trackLine = point;
}

// Cursor names the border under the pointer; in transposed mode a column border is horizontal.
void KSCTable::SetCursorFor(POINT logical) {
    int column, left, row, top;
    int hit = m_pressKind;
    if (hit == HIT_NONE) {
        hit = HitLogical(logical, &column, &left, &row, &top);
    }
    LPCSTR across = Transposed() ? IDC_SIZENS : IDC_SIZEWE;
    LPCSTR along = Transposed() ? IDC_SIZEWE : IDC_SIZENS;
    LPCSTR cursor = IDC_ARROW;
    if (hit == HIT_COLUMN_BORDER) {
        cursor = across;
    } else if (hit == HIT_ROW_BORDER) {
        cursor = along;
    }
    ::SetCursor(::LoadCursor(NULL, cursor));
}

// A click turns into nothing once the pointer leaves the drag rectangle around the press.
void KSCTable::CancelPressOutsideDrag(CPoint point) {
    POINT logical = ToLogical(point);
    int halfX = GetSystemMetrics(Transposed() ? SM_CYDRAG : SM_CXDRAG) / 2 + 1;
    int halfY = GetSystemMetrics(Transposed() ? SM_CXDRAG : SM_CYDRAG) / 2 + 1;
    if (std::abs(logical.x - m_pressPoint.x) < halfX &&
        std::abs(logical.y - m_pressPoint.y) < halfY) {
        return;
    }
    m_pressKind = HIT_NONE;
    ReleaseCapture();
}

void KSCTable::OnMouseMove(UINT flags, CPoint point) {
    POINT logical = ToLogical(point);
    switch (m_pressKind) {
    case HIT_NONE:
        SetCursorFor(logical);
        break;
    case HIT_COLUMN_BORDER:
    case HIT_ROW_BORDER:
        SetCursorFor(logical);
        TrackBorder(logical);
        break;
    default:
        CancelPressOutsideDrag(point);
        break;
    }
    CWnd::OnMouseMove(flags, point);
}

void KSCTable::EndBorderPress(POINT point) {
    point = ClampTrack(point);
    if (m_trackLine.x != -1 || m_trackLine.y != -1) {
        DrawTrackLine(m_trackLine);
    }
    m_trackLine = POINT{-1, -1};
    if (IsColumnPress()) {
        m_model.SetColumnWidth(m_hitColumn, point.x - m_trackMin.x, TRUE);
        TableColumn* column = nullptr;
        if (m_model.GetColumnPtr(m_hitColumn, &column)) {
            column->SetAutoSize(0);
        }
    } else {
        int rowIndex = m_model.DisplayRowToRow(m_hitRow);
        m_model.SetRowHeight(rowIndex, point.y - m_trackMin.y, TRUE);
        TableRow* row = nullptr;
        if (m_model.GetRowPtr(rowIndex, &row)) {
            row->SetAutoSize(0);
        }
    }
    ReleaseCapture();
    Redraw(REDRAW_LAYOUT | REDRAW_PAINT);
}

void KSCTable::SelectColumns(int columnFrom, int columnTo) {
    for (int row = 0; row < m_model.GetRowCount(); row++) {
        for (int column = columnFrom; column <= columnTo; column++) {
            m_model.SetCellState(row, column, m_model.GetCellState(row, column) | CELL_SELECTED);
        }
    }
}

void KSCTable::EndHeaderPress(UINT flags) {
    if (m_singleSelect) {
        ReleaseCapture();
        return;
    }
    if (m_model.GetOptions() & TABLE_ROWSELECT) {
        m_model.ClearSelection();
    } else {
        if (!(flags & MK_CONTROL)) {
            m_model.ClearSelection();
        }
        if (!(flags & MK_SHIFT)) {
            m_mouseAnchorColumn = m_hitColumn;
        }
        m_view.focusColumn = m_hitColumn;
        m_view.focusRow = 0;
        SelectColumns(std::min(m_mouseAnchorColumn, m_hitColumn),
                      std::max(m_mouseAnchorColumn, m_hitColumn));
    }
    ReleaseCapture();
    Redraw(REDRAW_PAINT);
}

void KSCTable::EndRowHeaderPress(UINT flags) {
    if (m_singleSelect || !(flags & MK_CONTROL)) {
        m_model.ClearSelection();
    }
    if (m_singleSelect || !(flags & MK_SHIFT)) {
        m_mouseAnchorRow = m_hitRow;
    }
    m_view.focusColumn = 0;
    m_view.focusRow = m_hitRow;
    int last = std::max(m_mouseAnchorRow, m_hitRow);
    for (int position = std::min(m_mouseAnchorRow, m_hitRow); position <= last; position++) {
        m_model.SelectRow(position, TRUE);
    }
    ReleaseCapture();
    Redraw(REDRAW_PAINT);
}

BOOL KSCTable::IsCellSelected(int position, int column) const {
    if (position < 0 || position >= m_model.GetRowCount()) {
        return FALSE;
    }
    return (m_model.GetCellState(m_model.DisplayRowToRow(position), column) & CELL_SELECTED) != 0;
}

// Selects the cells of the display rows and columns between the two corners (whole rows with
// TABLE_ROWSELECT, where SelectCell widens each cell to its row).
void KSCTable::SelectRange(int rowFrom, int rowTo, int columnFrom, int columnTo) {
    int lastRow = std::max(rowFrom, rowTo);
    int lastColumn = std::max(columnFrom, columnTo);
    for (int position = std::min(rowFrom, rowTo); position <= lastRow; position++) {
        if (m_model.GetOptions() & TABLE_ROWSELECT) {
            m_model.SelectRow(position, TRUE);
            continue;
        }
        for (int column = std::min(columnFrom, columnTo); column <= lastColumn; column++) {
            m_model.SelectCell(position, column, TRUE);
        }
    }
}

// Returns FALSE when the click asked for an edit: the parent may have destroyed the table
// while handling the notification, so nothing more of it may be touched.
BOOL KSCTable::EndCellPress(UINT flags, BOOL right) {
    BOOL plain = !(flags & (MK_SHIFT | MK_CONTROL));
    BOOL selected = IsCellSelected(m_hitRow, m_hitColumn);
    if (plain && selected && m_hitColumn == m_view.focusColumn && m_hitRow == m_view.focusRow) {
        SendBeginEdit(m_hitColumnLeft, m_hitRowTop, m_hitColumn, m_hitRow, nullptr);
        return FALSE;
    }
    if (!(right && selected)) {
        if (m_singleSelect || !(flags & MK_CONTROL)) {
            m_model.ClearSelection();
        }
        if (m_singleSelect || !(flags & MK_SHIFT)) {
            m_mouseAnchorColumn = m_hitColumn;
            m_mouseAnchorRow = m_hitRow;
        }
        SelectRange(m_mouseAnchorRow, m_hitRow, m_mouseAnchorColumn, m_hitColumn);
    }
    m_view.focusColumn = m_hitColumn;
    m_view.focusRow = m_hitRow;
    ReleaseCapture();
    Redraw(REDRAW_PAINT);
    return TRUE;
}

// FALSE when the table may no longer exist (see EndCellPress).
BOOL KSCTable::EndPress(UINT flags, CPoint point, BOOL right) {
    switch (m_pressKind) {
    case HIT_COLUMN_BORDER:
    case HIT_ROW_BORDER:
        EndBorderPress(ToLogical(point));
        break;
    case HIT_COLUMN_HEADER:
        EndHeaderPress(flags);
        break;
    case HIT_ROW_HEADER:
        EndRowHeaderPress(flags);
        break;
    case HIT_CELL:
        if (!EndCellPress(flags, right)) {
            return FALSE;
        }
        break;
    default:
        break;
    }
    m_pressKind = HIT_NONE;
    m_mouseAnchorColumn = m_hitColumn;
    m_mouseAnchorRow = m_hitRow;
    return TRUE;
}

void KSCTable::OnLButtonUp(UINT flags, CPoint point) {
    if (EndPress(flags, point, FALSE)) {
        CWnd::OnLButtonUp(flags, point);
    }
}

void KSCTable::OnRButtonUp(UINT flags, CPoint point) {
    if (EndPress(flags, point, TRUE)) {
        CWnd::OnRButtonUp(flags, point);
    }
}

// A double click on a border fits the column or row to its contents for good; on a header it
// sorts largest first, and toggles the direction on each further double click.
void KSCTable::OnLButtonDblClk(UINT flags, CPoint point) {
    int column, left, position, top;
    int hit = HitTest(point.x, point.y, &column, &left, &position, &top);
    if (hit == HIT_COLUMN_BORDER) {
        m_model.AutoSizeColumn(column, TRUE);
        TableColumn* found = nullptr;
        if (m_model.GetColumnPtr(column, &found)) {
            found->SetAutoSize(0);
        }
    } else if (hit == HIT_COLUMN_HEADER && m_model.IsSortable()) {
        BOOL descending =
            column == m_model.GetSortColumn() && m_model.GetSortMode() == SORT_DESCENDING;
        m_model.SetSortColumn(column, descending ? SORT_ASCENDING : SORT_DESCENDING);
    } else if (hit == HIT_ROW_BORDER) {
        int rowIndex = m_model.DisplayRowToRow(position);
        m_model.AutoSizeRow(rowIndex, TRUE);
        TableRow* row = nullptr;
        if (m_model.GetRowPtr(rowIndex, &row)) {
            row->SetAutoSize(0);
        }
    }
    if (CWnd* parent = GetParent()) {
        parent->PostMessage(WM_LBUTTONDBLCLK, flags, MAKELPARAM(point.x, point.y));
    }
    CWnd::OnLButtonDblClk(flags, point);
}

// ---------------------------------------------------------------------------------------------
// Keyboard and focus

void KSCTable::SendBeginEdit(int x, int y, int column, int row, const char* text) {
    TableNotify notify{};
    notify.hdr.hwndFrom = m_hWnd;
    notify.hdr.idFrom = m_controlId;
    notify.hdr.code = TN_BEGINEDIT;
    notify.x = Transposed() ? y : x;
    notify.y = Transposed() ? x : y;
    notify.column = column;
    notify.row = row;
    notify.text = text;
    if (m_parent && m_parent->GetSafeHwnd()) {
        m_parent->SendMessage(WM_NOTIFY, m_controlId, reinterpret_cast<LPARAM>(&notify));
    }
}

void KSCTable::OnKeyDown(UINT key, UINT repeat, UINT flags) {
    CWnd::OnKeyDown(key, repeat, flags);
    switch (key) {
    case VK_SHIFT:
        m_shiftDown = TRUE;
        m_view.keyAnchorColumn = m_view.focusColumn;
        m_view.keyAnchorRow = m_view.focusRow;
        break;
    case VK_CONTROL:
        m_ctrlDown = TRUE;
        break;
    case VK_UP:
        MoveFocus(0, -1);
        break;
    case VK_DOWN:
        MoveFocus(0, 1);
        break;
    case VK_LEFT:
    case VK_RIGHT:
        return;
    default:
        break;
    }
    if (CWnd* parent = GetParent()) {
        parent->PostMessage(WM_KEYDOWN, key, MAKELPARAM(repeat, flags));
    }
}

void KSCTable::OnKeyUp(UINT key, UINT repeat, UINT flags) {
    if (key == VK_SHIFT) {
        m_shiftDown = FALSE;
        m_view.keyAnchorColumn = -1;
        m_view.keyAnchorRow = -1;
    } else if (key == VK_CONTROL) {
        m_ctrlDown = FALSE;
    }
    CWnd::OnKeyUp(key, repeat, flags);
}

void KSCTable::OnChar(UINT key, UINT repeat, UINT flags) {
    CWnd::OnChar(key, repeat, flags);
    if (key == '\t') {
        MoveFocus(1, 0);
        return;
    }
    if (key == '\r') {
        MoveFocus(0, 1);
        return;
    }
    if (key < 32 || key > 126 || m_view.focusColumn < 0 || m_view.focusRow < 0) {
        return;
    }
    if (!IsCellSelected(m_view.focusRow, m_view.focusColumn)) {
        return;
    }
    RECT cell;
    GetCellRect(m_view.focusRow, m_view.focusColumn, &cell);
    char typed[2];
    std::snprintf(typed, sizeof typed, "%c", static_cast<char>(key));
    POINT origin = ToLogical(POINT{cell.left, cell.top});
    SendBeginEdit(origin.x, origin.y, m_view.focusColumn, m_view.focusRow, typed);
}

// The focus cell is parked while the window has no keyboard focus. Both changes repaint so
// that the focus rectangle follows the keyboard focus.
void KSCTable::OnKillFocus(CWnd* newWnd) {
    m_savedFocusColumn = m_view.focusColumn;
    m_savedFocusRow = m_view.focusRow;
    ClearFocus();
    Redraw(REDRAW_PAINT);
    CWnd::OnKillFocus(newWnd);
}

void KSCTable::OnSetFocus(CWnd* oldWnd) {
    m_view.focusColumn = m_savedFocusColumn;
    m_view.focusRow = m_savedFocusRow;
    m_savedFocusColumn = 0;
    m_savedFocusRow = 0;
    Redraw(REDRAW_PAINT);
    CWnd::OnSetFocus(oldWnd);
}

void KSCTable::MoveFocus(int dx, int dy, int shift, int ctrl) {
    if (m_model.GetRowCount() == 0 || m_model.GetColumnCount() == 0) {
        return;
    }
    if (shift == -1) {
        shift = m_shiftDown;
    }
    if (ctrl == -1) {
        ctrl = m_ctrlDown;
    }
    if (m_view.focusColumn < 0 || m_view.focusRow < 0) {
        m_view.focusColumn = 0;
        m_view.focusRow = 0;
    }
    if (Transposed()) {
        std::swap(dx, dy);
    }
    int column = StepFocusColumn(dx);
    int row = std::clamp(m_view.focusRow + dy, 0, m_model.GetRowCount() - 1);
    if (!ctrl) {
        m_model.ClearSelection();
    }
    if (!shift) {
        m_model.SelectCell(row, column, TRUE);
    } else {
        if (m_view.keyAnchorColumn < 0 || m_view.keyAnchorRow < 0) {
            m_view.keyAnchorColumn = m_view.focusColumn;
            m_view.keyAnchorRow = m_view.focusRow;
        }
        SelectRange(m_view.keyAnchorRow, row, m_view.keyAnchorColumn, column);
    }
    m_view.focusColumn = column;
    m_view.focusRow = row;
    EnsureCellVisible(row, column);
}

// The column dx steps from the focus column. Steps go through the displayed columns, in the
// order painting places them, so that the focus never lands on a hidden column, where no
// focus rectangle shows it (the Matrix view hides its address columns); the clamp keeps
// the frozen key columns out of reach as before. A focus column that is not displayed
// steps from where it would stand among the displayed ones.
int KSCTable::StepFocusColumn(int dx) const {
    const int displayed = m_model.GetDisplayedCount();
    if (displayed == 0) {
        return std::max(std::min(m_view.focusColumn + dx, m_model.GetColumnCount() - 1),
                        m_model.GetFrozenCount());
    }
    int position = 0;
    while (position < displayed && m_model.GetDisplayColumn(position) != m_view.focusColumn) {
        position++;
    }
    if (position == displayed) {
        if (dx == 0) {
            return m_view.focusColumn;
        }
        position = DisplayedColumnsBefore(m_view.focusColumn) - (dx > 0 ? 1 : 0);
    }
    const int first = std::min(m_model.GetFrozenCount(), displayed - 1);
    return m_model.GetDisplayColumn(std::clamp(position + dx, first, displayed - 1));
}

// How many displayed scrollable columns have an index below column.
int KSCTable::DisplayedColumnsBefore(int column) const {
    int count = 0;
    for (int p = m_model.GetFrozenCount(); p < m_model.GetDisplayedCount(); p++) {
        count += m_model.GetDisplayColumn(p) < column;
    }
    return m_model.GetFrozenCount() + count;
}

// ---------------------------------------------------------------------------------------------
// Scrolling a cell into view

// A bar takes room when it is needed and shown.
void KSCTable::EnsureCellVisible(int row, int column) {
    if (m_model.GetRowCount() == 0 || m_model.GetColumnCount() == 0) {
        return;
    }
    row = std::min(row, m_model.GetRowCount() - 1);
    column = std::min(column, m_model.GetColumnCount() - 1);
    SIZE client = LogicalClientSize();
    BOOL rowBar = BarShown(Transposed() ? m_hNeeded : m_vNeeded);
    BOOL columnBar = BarShown(Transposed() ? m_vNeeded : m_hNeeded);
    EnsureRowVisible(row, client.cy - (columnBar ? m_scrollBarSize : 0));
    EnsureColumnVisible(column, client.cx - (rowBar ? m_scrollBarSize : 0));
}

// Moving topRow down one row at a time until the row's bottom is inside ends at the first
// topRow for which the rows from it to the row fit; that topRow is found walking up from it.
void KSCTable::EnsureRowVisible(int row, int usableV) {
    if (row < m_view.topRow) {
        SetTopRow(row);
        return;
    }
    int room = usableV - HeaderExtent();
    int top = row;
    int used = RowExtent(m_model.DisplayRowToRow(row));
    while (top > m_view.topRow && used <= room) {
        int above = RowExtent(m_model.DisplayRowToRow(top - 1));
        if (used + above > room) {
            break;
        }
        used += above;
        top--;
    }
    SetTopRow(top);
}

// A column that is not displayed has no place to scroll to: the view stays where it is
// (ColumnToDisplayPos would answer 0 for it and scroll back to the first column).
void KSCTable::EnsureColumnVisible(int column, int usableU) {
    int offset = 0;
    if (!ColumnOffset(column, &offset)) {
        return;
    }
    int position = ColumnToDisplayPos(column, TRUE);
    int frozen = m_model.GetFrozenCount();
    if (position < frozen) {
        SetLeftColumn(0);
        return;
    }
    if (position - frozen < m_view.leftColumn) {
        SetLeftColumn(position - frozen);
        return;
    }
    RECT cell;
    for (;;) {
        GetCellRect(m_view.topRow, column, &cell);
        int right = Transposed() ? cell.bottom : cell.right;
        int before = m_view.leftColumn;
        if (right <= usableU || before >= m_model.GetColumnCount() - 1) {
            return;
        }
        if (SetLeftColumn(before + 1) == before) {
            return;
        }
    }
}
