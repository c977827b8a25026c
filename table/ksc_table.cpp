// KSCTable: creation, font, coalesced redraw, scroll bars and layout.
#include "table/ksc_table.h"

#include <algorithm>

namespace {

constexpr UINT_PTR kRedrawTimer = 99;
constexpr UINT kRedrawDelay = 25;
constexpr UINT kOwnHbarId = 101;
constexpr UINT kOwnVbarId = 102;
constexpr int kArrowRoom = 24; // room for the sort arrow in a title
constexpr const char* kClassName = "KSCTable";
constexpr const char* kSampleText = "XXXyyy"; // sets the least header height

// A popup table is an overlapped window of its own; a child table sits in its parent.
constexpr DWORD kPopupStyle = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW;
constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
constexpr DWORD kPopupExStyle = WS_EX_OVERLAPPEDWINDOW;
constexpr DWORD kChildExStyle = WS_EX_CONTROLPARENT;
static_assert(kPopupStyle == 0x92CF0000 && kChildStyle == 0x52000000);
static_assert(kPopupExStyle == 0x300 && kChildExStyle == 0x10000);

} // namespace

BEGIN_MESSAGE_MAP(KSCTable, CWnd)
ON_WM_CLOSE()
ON_WM_PAINT()
ON_WM_CREATE()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_LBUTTONDBLCLK()
ON_WM_RBUTTONDOWN()
ON_WM_RBUTTONUP()
ON_WM_SIZE()
ON_WM_VSCROLL()
ON_WM_HSCROLL()
ON_WM_TIMER()
ON_WM_KEYDOWN()
ON_WM_CHAR()
ON_WM_KEYUP()
ON_WM_KILLFOCUS()
ON_WM_SETFOCUS()
ON_WM_DESTROY()
ON_WM_GETDLGCODE()
ON_WM_MOUSEWHEEL()
ON_MESSAGE(WM_GETREPORT, OnGetReport)
ON_MESSAGE(WM_GETCELLRECT, OnGetCellRect)
ON_MESSAGE(WM_GETCOLUMNORDER, OnGetColumnOrder)
END_MESSAGE_MAP()

KSCTable::KSCTable(CWnd* parent, UINT id, UINT options, const RECT* rect)
    : TableModel(options, GetSysColor(COLOR_WINDOWTEXT)), m_controlId(id), m_parent(parent) {
    m_faceColor = GetSysColor(COLOR_BTNFACE);
    m_textColor = GetSysColor(COLOR_WINDOWTEXT);
    m_windowColor = GetSysColor(COLOR_WINDOW);
    m_highlightColor = GetSysColor(COLOR_HIGHLIGHT);
    m_highlightTextColor = GetSysColor(COLOR_HIGHLIGHTTEXT);
    m_backgroundBrush.CreateSolidBrush(m_windowColor);
    m_blackPen.CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    m_lightPen.CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    m_darkPen.CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    m_singleSelect = (options & TABLE_SINGLESEL) != 0;
    m_noScrollBars = (options & TABLE_NOSCROLLBARS) != 0;
    // The platform keeps the class name and needs no registration: every window gets double
    // clicks (the class style CS_DBLCLKS) and is drawn by its own message map.
    if (!parent) {
        return;
    }
    CRect area;
    if (rect) {
        area = *rect;
    } else {
        parent->GetClientRect(&area);
    }
    BOOL popup = (options & TABLE_POPUP) != 0;
    DWORD style = popup ? kPopupStyle : kChildStyle;
    DWORD exStyle = popup ? kPopupExStyle : kChildExStyle;
    CreateEx(exStyle, kClassName, "", style, area.left, area.top, area.right, area.bottom,
             parent->GetSafeHwnd(), popup ? NULL : (HMENU)(UINT_PTR)id);
}

KSCTable::~KSCTable() {
    if (GetSafeHwnd()) {
        DestroyWindow();
    }
}

int KSCTable::OnCreate(LPCREATESTRUCT create) {
    m_leftColumn = 0;
    m_topRow = 0;
    m_pressKind = HIT_NONE;
    m_painting = FALSE;
    if (m_font.GetSafeHandle()) {
        SetFont(&m_font, TRUE);
    }
    if (CWnd::OnCreate(create) == -1) {
        return -1;
    }
    CRect none(0, 0, 0, 0);
    m_hBar.Create(WS_CHILD | WS_CLIPSIBLINGS | SBS_HORZ, none, this, kOwnHbarId);
    m_vBar.Create(WS_CHILD | WS_CLIPSIBLINGS | SBS_VERT, none, this, kOwnVbarId);
    m_hBarInUse = &m_hBar;
    m_vBarInUse = &m_vBar;
    m_hExternal = FALSE;
    m_vExternal = FALSE;
    m_scrollBarSize = GetSystemMetrics(SM_CXHTHUMB);
    return 0;
}

// The font's metrics set the header height and the title column width; rows made later take
// the header height.
void KSCTable::SetFont(CFont* font, BOOL redraw) {
    if (!font) {
        return;
    }
    LOGFONT desc{};
    font->GetLogFont(&desc);
    m_fontDesc = desc;
    m_font.DeleteObject();
    m_font.CreateFontIndirect(&m_fontDesc);
    int arrowRoom = IsSortable() ? kArrowRoom : 0;
    CClientDC dc(this);
    int saved = dc.SaveDC();
    dc.SelectObject(&m_font);
    CSize sample = dc.GetTextExtent(kSampleText, lstrlen(kSampleText));
    m_titleWidth = 0;
    m_headerHeight = 0;
    if (GetColumnCount() == 0) {
        m_titleWidth = sample.cx + 6 + arrowRoom;
        m_headerHeight = sample.cy + 6;
    }
    for (int column = 0; column < GetColumnCount(); column++) {
        CSize title = dc.GetTextExtent(GetColumnTitle(column));
        m_titleWidth = std::max<int>(m_titleWidth, title.cx + 6 + arrowRoom);
        m_headerHeight = std::max<int>({m_headerHeight, title.cy + 6, sample.cy + 6});
    }
    dc.RestoreDC(saved);
    if (redraw) {
        Redraw(REDRAW_LAYOUT | REDRAW_ERASE);
    }
}

// Cell texts are measured on the window's DC with its default font (not the table font),
// through a cache of that font's character widths: the DC is taken only when the cache
// meets a character it has not measured yet. The default font never changes, so the cache
// lives as long as the table.
void KSCTable::BeginMeasure() {
    m_measuring = GetSafeHwnd() != NULL;
    if (!m_measureSource) {
        m_measureSource = [this] { return MeasureDC(); };
    }
}

TableExtent KSCTable::MeasureText(const char* text, size_t length) {
    if (!m_measuring) {
        return TableModel::MeasureText(text, length);
    }
    return m_charWidths.Measure(text, length, m_measureSource);
}

HDC KSCTable::MeasureDC() {
    if (!m_measureDC) {
        m_measureDC = ::GetDC(m_hWnd);
    }
    return m_measureDC;
}

void KSCTable::EndMeasure() {
    if (m_measureDC) {
        ::ReleaseDC(m_hWnd, m_measureDC);
    }
    m_measureDC = NULL;
    m_measuring = FALSE;
}

// Any number of changes within the delay collapse into one timer event.
void KSCTable::Redraw(uint32_t flags) {
    m_pendingRedraw |= flags;
    if (!GetSafeHwnd()) {
        return;
    }
    KillTimer(kRedrawTimer);
    SetTimer(kRedrawTimer, kRedrawDelay, NULL);
}

// The pending flags are taken before the layout runs: the parent's answer to the layout
// message may schedule a further redraw, which then waits for its own timer event.
void KSCTable::OnTimer(UINT id) {
    if (id == kRedrawTimer) {
        KillTimer(kRedrawTimer);
        UINT pending = m_pendingRedraw;
        m_pendingRedraw = 0;
        if (pending & REDRAW_LAYOUT) {
            Layout(0, 0, 0);
        }
        if (pending & REDRAW_ERASE) {
            Invalidate(TRUE);
        } else if (pending & REDRAW_PAINT) {
            Invalidate(FALSE);
        }
    }
    CWnd::OnTimer(id);
}

void KSCTable::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    Layout(cx, cy, 0);
}

CScrollBar* KSCTable::GetScrollBarCtrl(int bar) const {
    if (bar == SB_HORZ) {
        return m_hBarInUse;
    }
    if (bar == SB_VERT) {
        return m_vBarInUse;
    }
    return nullptr;
}

void KSCTable::GetScrollBarInfo(SCROLLINFO* info, int bar) {
    *info = SCROLLINFO{};
    info->cbSize = sizeof(SCROLLINFO);
    CScrollBar* control = GetScrollBarCtrl(bar);
    if (control && control->GetSafeHwnd()) {
        info->fMask = SIF_ALL;
        control->GetScrollInfo(info, SIF_ALL);
    }
}

void KSCTable::SetScrollBarCtrls(CScrollBar* vertical, CScrollBar* horizontal) {
    m_vExternal = vertical != nullptr;
    m_vBarInUse = vertical ? vertical : &m_vBar;
    m_hExternal = horizontal != nullptr;
    m_hBarInUse = horizontal ? horizontal : &m_hBar;
    if (vertical && m_vBar.GetSafeHwnd()) {
        m_vBar.ShowWindow(SW_HIDE);
    }
    if (horizontal && m_hBar.GetSafeHwnd()) {
        m_hBar.ShowWindow(SW_HIDE);
    }
    Redraw(REDRAW_LAYOUT);
}

void KSCTable::GetTableScrollInfo(int bar, SCROLLINFO* info, UINT mask) {
    if (info->cbSize != sizeof(SCROLLINFO)) {
        return;
    }
    info->fMask = mask;
    auto copy = [info, mask](const SCROLLINFO& record) {
        if (mask & SIF_RANGE) {
            info->nMin = record.nMin;
            info->nMax = record.nMax;
        }
        if (mask & SIF_PAGE) {
            info->nPage = record.nPage;
        }
        if (mask & SIF_POS) {
            info->nPos = record.nPos;
        }
        if (mask & SIF_TRACKPOS) {
            info->nTrackPos = record.nTrackPos;
        }
    };
    if (bar == SB_HORZ || bar == SB_BOTH) {
        copy(m_hScrollRecord);
    }
    if (bar == SB_VERT || bar == SB_BOTH) {
        copy(m_vScrollRecord);
    }
}

// Stores pos into the record, kept within the scrollable range, and into target.
void KSCTable::ClampRecordPos(SCROLLINFO& record, int pos, int& target) {
    int limit = record.nMax - static_cast<int>(record.nPage) + 1;
    record.nPos = std::max(std::min(pos, limit), record.nMin);
    target = record.nPos;
}

void KSCTable::SetTableScrollInfo(int bar, const SCROLLINFO* info, BOOL) {
    if (info->cbSize != sizeof(SCROLLINFO)) {
        return;
    }
    if ((bar == SB_HORZ || bar == SB_BOTH) && (info->fMask & SIF_POS)) {
        ClampRecordPos(m_hScrollRecord, info->nPos, m_transposed ? m_topRow : m_leftColumn);
    }
    if ((bar == SB_VERT || bar == SB_BOTH) && (info->fMask & SIF_POS)) {
        ClampRecordPos(m_vScrollRecord, info->nPos, m_transposed ? m_leftColumn : m_topRow);
    }
    Layout(0, 0, 0);
}

int KSCTable::SetTopRow(int row) {
    if (row == m_topRow) {
        return m_topRow;
    }
    m_topRow = std::max(0, std::min(row, GetRowCount() - 1));
    Redraw(REDRAW_LAYOUT | REDRAW_PAINT);
    return m_topRow;
}

int KSCTable::SetLeftColumn(int position) {
    if (position == m_leftColumn) {
        return m_leftColumn;
    }
    m_leftColumn = std::max(0, std::min(position, GetDisplayedCount() - 1));
    Redraw(REDRAW_LAYOUT | REDRAW_PAINT);
    return m_leftColumn;
}

void KSCTable::Scroll(int bar, UINT code, UINT position, CScrollBar* given) {
    CScrollBar* control = given ? given : GetScrollBarCtrl(bar);
    if (!control || code == SB_ENDSCROLL) {
        return;
    }
    SCROLLINFO info{};
    info.cbSize = sizeof(SCROLLINFO);
    info.fMask = SIF_ALL;
    control->GetScrollInfo(&info, SIF_ALL);
    switch (code) {
    case SB_LINEUP:
        info.nPos -= 1;
        break;
    case SB_LINEDOWN:
        info.nPos += 1;
        break;
    case SB_PAGEUP:
        info.nPos -= static_cast<int>(info.nPage);
        break;
    case SB_PAGEDOWN:
        info.nPos += static_cast<int>(info.nPage);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        info.nPos = static_cast<int>(position);
        break;
    case SB_TOP:
        info.nPos = info.nMin;
        break;
    case SB_BOTTOM:
        info.nPos = info.nMax;
        break;
    default:
        return;
    }
    info.cbSize = sizeof(SCROLLINFO);
    info.fMask = SIF_ALL;
    SetTableScrollInfo(bar, &info, TRUE);
    Redraw(REDRAW_PAINT);
}

void KSCTable::OnVScroll(UINT code, UINT position, CScrollBar* bar) {
    Scroll(SB_VERT, code, position, bar);
    CWnd::OnVScroll(code, position, bar);
}

void KSCTable::OnHScroll(UINT code, UINT position, CScrollBar* bar) {
    Scroll(SB_HORZ, code, position, bar);
    CWnd::OnHScroll(code, position, bar);
}

// One notch (120) is one row; smaller deltas scroll nothing.
BOOL KSCTable::OnMouseWheel(UINT flags, short delta, CPoint point) {
    if (m_vBarInUse && m_vBarInUse->GetSafeHwnd()) {
        SCROLLINFO info{};
        info.cbSize = sizeof(SCROLLINFO);
        info.fMask = SIF_ALL;
        m_vBarInUse->GetScrollInfo(&info, SIF_ALL);
        info.cbSize = sizeof(SCROLLINFO);
        info.fMask = SIF_ALL;
        info.nPos -= delta / 120;
        SetTableScrollInfo(SB_VERT, &info, TRUE);
        Redraw(REDRAW_PAINT);
    }
    return CWnd::OnMouseWheel(flags, delta, point);
}

UINT KSCTable::OnGetDlgCode() {
    return DLGC_WANTARROWS;
}

void KSCTable::OnClose() {
    m_backgroundBrush.DeleteObject();
    m_font.DeleteObject();
    m_paintFont.DeleteObject();
    DeleteAllRows();
    while (GetColumnCount() > 0) {
        DeleteColumn(GetColumnCount() - 1, FALSE);
    }
    DestroyWindow();
}

// Rows go in one step: removing them one by one from the first would renumber the rest each
// time, with the same end result.
void KSCTable::OnDestroy() {
    DeleteAllRows();
    while (GetColumnCount() > 0) {
        DeleteColumn(GetColumnCount() - 1, FALSE);
    }
    m_font.DeleteObject();
    m_paintFont.DeleteObject();
    KillTimer(kRedrawTimer);
    m_pendingRedraw = 0;
    CWnd::OnDestroy();
}

// ---------------------------------------------------------------------------------------------
// Axes. Columns run along u and rows along v; normal mode has u = x, transposed mode u = y.

POINT KSCTable::ToLogical(POINT point) const {
    return m_transposed ? POINT{point.y, point.x} : point;
}

RECT KSCTable::ToClient(int u, int v, int uSize, int vSize) const {
    if (m_transposed) {
        return RECT{v, u, v + vSize, u + uSize};
    }
    return RECT{u, v, u + uSize, v + vSize};
}

SIZE KSCTable::LogicalClientSize() const {
    CRect client(0, 0, 0, 0);
    if (GetSafeHwnd()) {
        GetClientRect(&client);
    }
    if (m_transposed) {
        return SIZE{client.Height(), client.Width()};
    }
    return SIZE{client.Width(), client.Height()};
}

// Extent of the header along v: the title row, or the title column in transposed mode.
int KSCTable::HeaderExtent() const {
    return m_transposed ? m_titleWidth : m_headerHeight;
}

// Column painted at position p (counted from the left edge): frozen columns, then the
// scrollable ones from leftColumn.
int KSCTable::DisplayColumn(int position) const {
    if (position < GetFrozenCount()) {
        return GetDisplayColumn(position);
    }
    return GetDisplayColumn(position + m_leftColumn);
}

int KSCTable::PaintedColumnCount() const {
    return GetDisplayedCount() - m_leftColumn;
}

// The row shown at display position p, or -1 past the end. Sorted tables follow the sort
// column's order, which NextRow steps along without a new lookup.
int KSCTable::FirstRowAt(int position) const {
    if (position < 0 || position >= GetRowCount()) {
        return -1;
    }
    if (!IsSortable() || m_sortMode == SORT_NONE) {
        return position;
    }
    return GetSortedRow(position, nullptr, m_sortColumn);
}

int KSCTable::NextRow(int position, int row) const {
    if (!IsSortable() || m_sortMode == SORT_NONE) {
        return position + 1 < GetRowCount() ? position + 1 : -1;
    }
    return GetNextSortedRow(row, nullptr, m_sortColumn);
}

int KSCTable::RowExtent(int row) const {
    return GetRowHeight(row);
}

const TableColumn* KSCTable::Column(int column) const {
    TableColumn* found = nullptr;
    const_cast<KSCTable*>(this)->GetColumnPtr(column, &found);
    return found;
}

BOOL KSCTable::IsKeyColumn(int column) const {
    const TableColumn* found = Column(column);
    return found && (found->m_flags & COLUMN_KEY) != 0;
}

// ---------------------------------------------------------------------------------------------
// Layout

// First display position from start whose row ends beyond extent, or the row count.
int KSCTable::RowsEnd(int extent, int start) const {
    int v = HeaderExtent();
    int position = start;
    for (int row = FirstRowAt(start); position < GetRowCount(); position++) {
        v += RowExtent(row < 0 ? 0 : row);
        if (v > extent) {
            return position;
        }
        if (row >= 0) {
            row = NextRow(position, row);
        }
    }
    return position;
}

int KSCTable::FrozenWidth() const {
    int width = 0;
    for (int p = 0; p < GetDisplayedCount() && IsKeyColumn(GetDisplayColumn(p)); p++) {
        width += GetColumnWidth(GetDisplayColumn(p));
    }
    return width;
}

// First display position from the scrolled ones whose column ends beyond extent.
int KSCTable::ColumnsEnd(int extent, int frozenWidth) const {
    int sum = 0;
    int position = GetFrozenCount() + m_leftColumn;
    for (; position < GetDisplayedCount(); position++) {
        sum += GetColumnWidth(GetDisplayColumn(position));
        if (frozenWidth + sum > extent) {
            return position;
        }
    }
    return position;
}

void KSCTable::SetRecord(SCROLLINFO& record, int max, int page, int pos, CScrollBar* bar) {
    record.cbSize = sizeof(SCROLLINFO);
    record.fMask = SIF_ALL;
    record.nMin = 0;
    record.nMax = max;
    record.nPage = static_cast<UINT>(std::max(page, 1));
    record.nPos = pos;
    if (bar && bar->GetSafeHwnd()) {
        bar->SetScrollInfo(&record, TRUE);
    }
}

void KSCTable::ResetRecord(SCROLLINFO& record, CScrollBar* bar, BOOL external) {
    record = SCROLLINFO{};
    if (external || !bar || !bar->GetSafeHwnd()) {
        return;
    }
    bar->SetScrollRange(0, 0, TRUE);
    bar->SetScrollPos(0, TRUE);
}

void KSCTable::PlaceBar(CScrollBar* bar, BOOL external, BOOL shown, const RECT& rect) {
    if (!bar || !bar->GetSafeHwnd()) {
        return;
    }
    if (external) {
        bar->EnableWindow(shown);
        return;
    }
    bar->MoveWindow(&rect, FALSE);
    bar->ShowWindow(shown ? SW_SHOW : SW_HIDE);
}

BOOL KSCTable::BarShown(BOOL needed) const {
    return needed && !m_noScrollBars;
}

// Works out which rows and columns fit, fills both scroll records, places the bars and tells
// the parent. Written for normal mode along (u, v); transposed mode is the mirror image, so
// the row bar is the horizontal one there.
void KSCTable::Layout(int width, int height, int extra) {
    if (width == 0 && height == 0) {
        SIZE client = LogicalClientSize();
        width = m_transposed ? client.cy : client.cx;
        height = m_transposed ? client.cx : client.cy;
    }
    int uExtent = m_transposed ? height : width;
    int vExtent = m_transposed ? width : height;
    m_leftColumn = std::max(m_leftColumn, 0);
    m_topRow = std::max(m_topRow, 0);
    BOOL& rowNeeded = m_transposed ? m_hNeeded : m_vNeeded;
    BOOL& columnNeeded = m_transposed ? m_vNeeded : m_hNeeded;
    CScrollBar* rowBar = m_transposed ? m_hBarInUse : m_vBarInUse;
    CScrollBar* columnBar = m_transposed ? m_vBarInUse : m_hBarInUse;
    BOOL rowExternal = m_transposed ? m_hExternal : m_vExternal;
    BOOL columnExternal = m_transposed ? m_vExternal : m_hExternal;

    int rowsEnd = RowsEnd(vExtent - extra, m_topRow);
    RECT rowBarRect{};
    int rowBarWidth = 0;
    RowRecord() = SCROLLINFO{};
    if (GetRowCount() > 0 && (rowsEnd < GetRowCount() || m_topRow > 0)) {
        SetRecord(RowRecord(), GetRowCount() - 1, rowsEnd - m_topRow, m_topRow, rowBar);
        rowNeeded = TRUE;
        rowBarWidth = m_scrollBarSize;
        rowBarRect = ToClient(uExtent - m_scrollBarSize, HeaderExtent() + 1, m_scrollBarSize,
                              vExtent - extra - HeaderExtent() - 1);
    } else {
        rowNeeded = FALSE;
        ResetRecord(RowRecord(), rowBar, rowExternal);
    }

    int frozenColumns = FrozenWidth();
    int frozenWidth = rowBarWidth + frozenColumns;
    int columnsEnd = ColumnsEnd(uExtent, frozenWidth);
    RECT columnBarRect{};
    ColumnRecord() = SCROLLINFO{};
    if (GetColumnCount() > 0 && (columnsEnd < GetDisplayedCount() || m_leftColumn > 0)) {
        if (extra == 0 && m_scrollBarSize != 0) {
            Layout(width, height, m_noScrollBars ? 1 : m_scrollBarSize);
            return;
        }
        SetRecord(ColumnRecord(), GetDisplayedCount() - 1,
                  columnsEnd - m_leftColumn - GetFrozenCount(), m_leftColumn, columnBar);
        columnNeeded = TRUE;
        int start = frozenColumns + 1;
        columnBarRect = ToClient(start, vExtent - m_scrollBarSize, uExtent - rowBarWidth - start,
                                 m_scrollBarSize);
    } else {
        columnNeeded = FALSE;
        ResetRecord(ColumnRecord(), columnBar, columnExternal);
    }

    PlaceBar(rowBar, rowExternal, BarShown(rowNeeded), rowBarRect);
    PlaceBar(columnBar, columnExternal, BarShown(columnNeeded), columnBarRect);
    if (m_parent && m_parent->GetSafeHwnd()) {
        m_parent->SendMessage(WM_TABLE_LAYOUT, 0, 0);
    }
}

int KSCTable::ColumnToDisplayPos(int column, BOOL absolute) const {
    int from = absolute ? 0 : m_leftColumn;
    for (int p = from; p < GetDisplayedCount(); p++) {
        if (GetDisplayColumn(p) == column) {
            return p - from;
        }
    }
    return 0;
}

// The rectangle in which painting draws a cell. A scrollable column scrolled out to the left
// lies left of the first scrollable one (under the frozen columns).
// The offset along the columns at which painting places a displayed column; FALSE when the
// column is not displayed.
BOOL KSCTable::ColumnOffset(int column, int* u) const {
    int position = -1;
    for (int p = 0; p < GetDisplayedCount() && position < 0; p++) {
        if (GetDisplayColumn(p) == column) {
            position = p;
        }
    }
    if (position < 0) {
        return FALSE;
    }
    int frozen = GetFrozenCount();
    int firstScrolled = frozen + m_leftColumn;
    *u = 0;
    for (int p = 0; p < std::min(position, frozen); p++) {
        *u += GetColumnWidth(GetDisplayColumn(p));
    }
    for (int p = firstScrolled; p < position; p++) {
        *u += GetColumnWidth(GetDisplayColumn(p));
    }
    for (int p = position; p < firstScrolled && position >= frozen; p++) {
        *u -= GetColumnWidth(GetDisplayColumn(p));
    }
    return TRUE;
}

void KSCTable::GetCellRect(int row, int column, RECT* out) const {
    *out = RECT{};
    int u = 0;
    if (row < 0 || row >= GetRowCount() || column < 0 || column >= GetColumnCount() ||
        !ColumnOffset(column, &u)) {
        return;
    }
    int v = HeaderExtent();
    int rowIndex = FirstRowAt(m_topRow);
    for (int p = m_topRow; p < row && rowIndex >= 0; p++) {
        v += RowExtent(rowIndex);
        rowIndex = NextRow(p, rowIndex);
    }
    int vSize = row < m_topRow ? 0 : RowExtent(DisplayRowToRow(row));
    *out = ToClient(u, v, GetColumnWidth(column), vSize);
}

void KSCTable::GetHeaderRect(int column, RECT* out) const {
    *out = RECT{};
    int u = 0;
    if (column >= 0 && column < GetColumnCount() && ColumnOffset(column, &u)) {
        *out = ToClient(u, 0, GetColumnWidth(column), HeaderExtent());
    }
}
