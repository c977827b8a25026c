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
    : m_model(options, GetSysColor(COLOR_WINDOWTEXT), this), m_controlId(id), m_parent(parent) {
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
    m_view.leftColumn = 0;
    m_view.topRow = 0;
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
    int arrowRoom = m_model.IsSortable() ? kArrowRoom : 0;
    CClientDC dc(this);
    int saved = dc.SaveDC();
    dc.SelectObject(&m_font);
    CSize sample = dc.GetTextExtent(kSampleText, lstrlen(kSampleText));
    m_view.titleWidth = 0;
    m_view.headerHeight = 0;
    if (m_model.GetColumnCount() == 0) {
        m_view.titleWidth = sample.cx + 6 + arrowRoom;
        m_view.headerHeight = sample.cy + 6;
    }
    for (int column = 0; column < m_model.GetColumnCount(); column++) {
        CSize title = dc.GetTextExtent(m_model.GetColumnTitle(column));
        m_view.titleWidth = std::max<int>(m_view.titleWidth, title.cx + 6 + arrowRoom);
        m_view.headerHeight = std::max<int>({m_view.headerHeight, title.cy + 6, sample.cy + 6});
    }
    dc.RestoreDC(saved);
    m_model.SetNewRowHeight(m_view.headerHeight);
    if (redraw) {
        Redraw(REDRAW_LAYOUT | REDRAW_ERASE);
    }
}

// The model's changes that move the window's own positions.
// The first column shown stays within the columns; a focus column at or after the deleted
// one becomes its index.
void KSCTable::ColumnDeleted(int index) {
    m_view.leftColumn = std::min(m_view.leftColumn, m_model.GetColumnCount() - 1);
    m_view.focusColumn = std::min(m_view.focusColumn, index);
}

// The top row stays within the rows; a focus row at or after the deleted one becomes its index.
void KSCTable::RowDeleted(int index) {
    m_view.topRow = std::max(0, std::min(m_view.topRow, m_model.GetRowCount() - 1));
    m_view.focusRow = std::min(m_view.focusRow, index);
}

void KSCTable::RowsCleared() {
    m_view.focusRow = 0;
    m_view.topRow = 0;
}

void KSCTable::TitlesMeasured(TableExtent largest) {
    m_view.titleWidth = largest.cx;
    m_view.headerHeight = largest.cy;
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
        return FixedCellExtent(length);
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
        ClampRecordPos(m_hScrollRecord, info->nPos,
                       Transposed() ? m_view.topRow : m_view.leftColumn);
    }
    if ((bar == SB_VERT || bar == SB_BOTH) && (info->fMask & SIF_POS)) {
        ClampRecordPos(m_vScrollRecord, info->nPos,
                       Transposed() ? m_view.leftColumn : m_view.topRow);
    }
    Layout(0, 0, 0);
}

int KSCTable::SetTopRow(int row) {
    if (row == m_view.topRow) {
        return m_view.topRow;
    }
    m_view.topRow = std::max(0, std::min(row, m_model.GetRowCount() - 1));
    Redraw(REDRAW_LAYOUT | REDRAW_PAINT);
    return m_view.topRow;
}

int KSCTable::SetLeftColumn(int position) {
    if (position == m_view.leftColumn) {
        return m_view.leftColumn;
    }
    m_view.leftColumn = std::max(0, std::min(position, m_model.GetDisplayedCount() - 1));
    Redraw(REDRAW_LAYOUT | REDRAW_PAINT);
    return m_view.leftColumn;
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
    m_model.DeleteAllRows();
    while (m_model.GetColumnCount() > 0) {
        m_model.DeleteColumn(m_model.GetColumnCount() - 1, FALSE);
    }
    DestroyWindow();
}

// Rows go in one step: removing them one by one from the first would renumber the rest each
// time, with the same end result.
void KSCTable::OnDestroy() {
    m_model.DeleteAllRows();
    while (m_model.GetColumnCount() > 0) {
        m_model.DeleteColumn(m_model.GetColumnCount() - 1, FALSE);
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
    return Transposed() ? POINT{point.y, point.x} : point;
}

RECT KSCTable::ToClient(int u, int v, int uSize, int vSize) const {
    if (Transposed()) {
        return RECT{v, u, v + vSize, u + uSize};
    }
    return RECT{u, v, u + uSize, v + vSize};
}

SIZE KSCTable::LogicalClientSize() const {
    CRect client(0, 0, 0, 0);
    if (GetSafeHwnd()) {
        GetClientRect(&client);
    }
    if (Transposed()) {
        return SIZE{client.Height(), client.Width()};
    }
    return SIZE{client.Width(), client.Height()};
}

// Extent of the header along v: the title row, or the title column in transposed mode.
int KSCTable::HeaderExtent() const {
    return Transposed() ? m_view.titleWidth : m_view.headerHeight;
}

// Column painted at position p (counted from the left edge): frozen columns, then the
// scrollable ones from leftColumn.
int KSCTable::DisplayColumn(int position) const {
    if (position < m_model.GetFrozenCount()) {
        return m_model.GetDisplayColumn(position);
    }
    return m_model.GetDisplayColumn(position + m_view.leftColumn);
}

int KSCTable::PaintedColumnCount() const {
    return m_model.GetDisplayedCount() - m_view.leftColumn;
}

// The row shown at display position p, or -1 past the end. Sorted tables follow the sort
// column's order, which NextRow steps along without a new lookup.
int KSCTable::FirstRowAt(int position) const {
    if (position < 0 || position >= m_model.GetRowCount()) {
        return -1;
    }
    if (!m_model.IsSortable() || m_model.GetSortMode() == SORT_NONE) {
        return position;
    }
    return m_model.GetSortedRow(position, nullptr, m_model.GetSortColumn());
}

int KSCTable::NextRow(int position, int row) const {
    if (!m_model.IsSortable() || m_model.GetSortMode() == SORT_NONE) {
        return position + 1 < m_model.GetRowCount() ? position + 1 : -1;
    }
    return m_model.GetNextSortedRow(row, nullptr, m_model.GetSortColumn());
}

int KSCTable::RowExtent(int row) const {
    return m_model.GetRowHeight(row);
}

const TableColumn* KSCTable::Column(int column) const {
    return m_model.FindColumn(column);
}

BOOL KSCTable::IsKeyColumn(int column) const {
    const TableColumn* found = Column(column);
    return found && found->HasFlag(COLUMN_KEY);
}

// ---------------------------------------------------------------------------------------------
// Layout

// First display position from start whose row ends beyond extent, or the row count.
int KSCTable::RowsEnd(int extent, int start) const {
    int v = HeaderExtent();
    int position = start;
    for (int row = FirstRowAt(start); position < m_model.GetRowCount(); position++) {
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
    for (int p = 0; p < m_model.GetDisplayedCount() && IsKeyColumn(m_model.GetDisplayColumn(p));
         p++) {
        width += m_model.GetColumnWidth(m_model.GetDisplayColumn(p));
    }
    return width;
}

// First display position from the scrolled ones whose column ends beyond extent.
int KSCTable::ColumnsEnd(int extent, int frozenWidth) const {
    int sum = 0;
    int position = m_model.GetFrozenCount() + m_view.leftColumn;
    for (; position < m_model.GetDisplayedCount(); position++) {
        sum += m_model.GetColumnWidth(m_model.GetDisplayColumn(position));
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
        width = Transposed() ? client.cy : client.cx;
        height = Transposed() ? client.cx : client.cy;
    }
    int uExtent = Transposed() ? height : width;
    int vExtent = Transposed() ? width : height;
    m_view.leftColumn = std::max(m_view.leftColumn, 0);
    m_view.topRow = std::max(m_view.topRow, 0);
    BOOL& rowNeeded = Transposed() ? m_hNeeded : m_vNeeded;
    BOOL& columnNeeded = Transposed() ? m_vNeeded : m_hNeeded;
    CScrollBar* rowBar = Transposed() ? m_hBarInUse : m_vBarInUse;
    CScrollBar* columnBar = Transposed() ? m_vBarInUse : m_hBarInUse;
    BOOL rowExternal = Transposed() ? m_hExternal : m_vExternal;
    BOOL columnExternal = Transposed() ? m_vExternal : m_hExternal;

    int rowsEnd = RowsEnd(vExtent - extra, m_view.topRow);
    RECT rowBarRect{};
    int rowBarWidth = 0;
    RowRecord() = SCROLLINFO{};
    if (m_model.GetRowCount() > 0 && (rowsEnd < m_model.GetRowCount() || m_view.topRow > 0)) {
        SetRecord(RowRecord(), m_model.GetRowCount() - 1, rowsEnd - m_view.topRow, m_view.topRow,
                  rowBar);
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
    if (m_model.GetColumnCount() > 0 &&
        (columnsEnd < m_model.GetDisplayedCount() || m_view.leftColumn > 0)) {
        if (extra == 0 && m_scrollBarSize != 0) {
            Layout(width, height, m_noScrollBars ? 1 : m_scrollBarSize);
            return;
        }
        SetRecord(ColumnRecord(), m_model.GetDisplayedCount() - 1,
                  columnsEnd - m_view.leftColumn - m_model.GetFrozenCount(), m_view.leftColumn,
                  columnBar);
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
    int from = absolute ? 0 : m_view.leftColumn;
    for (int p = from; p < m_model.GetDisplayedCount(); p++) {
        if (m_model.GetDisplayColumn(p) == column) {
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
    for (int p = 0; p < m_model.GetDisplayedCount() && position < 0; p++) {
        if (m_model.GetDisplayColumn(p) == column) {
            position = p;
        }
    }
    if (position < 0) {
        return FALSE;
    }
    int frozen = m_model.GetFrozenCount();
    int firstScrolled = frozen + m_view.leftColumn;
    *u = 0;
    for (int p = 0; p < std::min(position, frozen); p++) {
        *u += m_model.GetColumnWidth(m_model.GetDisplayColumn(p));
    }
    for (int p = firstScrolled; p < position; p++) {
        *u += m_model.GetColumnWidth(m_model.GetDisplayColumn(p));
    }
    for (int p = position; p < firstScrolled && position >= frozen; p++) {
        *u -= m_model.GetColumnWidth(m_model.GetDisplayColumn(p));
    }
    return TRUE;
}

void KSCTable::GetCellRect(int row, int column, RECT* out) const {
    *out = RECT{};
    int u = 0;
    if (row < 0 || row >= m_model.GetRowCount() || column < 0 ||
        column >= m_model.GetColumnCount() || !ColumnOffset(column, &u)) {
        return;
    }
    int v = HeaderExtent();
    int rowIndex = FirstRowAt(m_view.topRow);
    for (int p = m_view.topRow; p < row && rowIndex >= 0; p++) {
        v += RowExtent(rowIndex);
        rowIndex = NextRow(p, rowIndex);
    }
    int vSize = row < m_view.topRow ? 0 : RowExtent(m_model.DisplayRowToRow(row));
    *out = ToClient(u, v, m_model.GetColumnWidth(column), vSize);
}

void KSCTable::GetHeaderRect(int column, RECT* out) const {
    *out = RECT{};
    int u = 0;
    if (column >= 0 && column < m_model.GetColumnCount() && ColumnOffset(column, &u)) {
        *out = ToClient(u, 0, m_model.GetColumnWidth(column), HeaderExtent());
    }
}
