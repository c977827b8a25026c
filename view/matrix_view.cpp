// CMatrixView: the window, its table, context menu, commands and the scroll bars it
// shares with the host's tab window. The rows are in matrix_view_rows.cpp.
#include "view/matrix_view.h"

#include "view/context_menu_point.h"

#include "hostapi/ksmem32.h"
#include "table/ksc_table.h"
#include "view/matrix_columns.h"

#include <stdio.h>

namespace {

// The walked columns of matrixSDTable, in request order.
const char* const kMatrixColumns[] = {"matrixSDIndex",       "matrixSDSourceAddress",
                                      "matrixSDDestAddress", "matrixSDOctets",
                                      "matrixSDPkts",        "matrixSDErrors"};

// The conversation matrix window: caption and style (WS_CHILD, WS_VISIBLE,
// WS_OVERLAPPEDWINDOW).
const char kConversationCaption[] = "Hi there!";
constexpr DWORD kConversationStyle = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW;
static_assert(kConversationStyle == 0x50CF0000);

} // namespace

BEGIN_MESSAGE_MAP(CMatrixView, CWnd)
ON_WM_SIZE()
ON_WM_CREATE()
ON_WM_CONTEXTMENU()
ON_WM_ERASEBKGND()
ON_WM_TIMER()
ON_WM_DESTROY()
ON_WM_VSCROLL()
ON_WM_HSCROLL()
ON_MESSAGE(WM_TABLE_LAYOUT, OnTableLayout)
ON_WM_LBUTTONDBLCLK()
ON_MATRIX_PAIRS(WM_MATRIX_UTILIZATION, OnMatrixUtilization)
ON_MATRIX_PAIRS(WM_MATRIX_BYTES, OnMatrixBytes)
ON_MATRIX_PAIRS(WM_MATRIX_ERRORS, OnMatrixErrors)
ON_MATRIX_PAIRS(WM_MATRIX_PACKETS, OnMatrixPackets)
END_MESSAGE_MAP()

CMatrixView::CMatrixView(ViewHost& host) : m_host(host) {
    // The walker aims at no node until the host selects one.
    SetTargetNode(static_cast<uint32_t>(-1));
    for (const char* column : kMatrixColumns) {
        snprintf(m_columnObjects[m_columnCount++], COLUMN_OBJECT_SIZE, "%s", column);
    }
}

CMatrixView::~CMatrixView() {
    delete m_table;
}

void CMatrixView::SetColumnObject(int position, const char* object) {
    if (position >= 0 && position < MAX_COLUMN_OBJECTS) {
        snprintf(m_columnObjects[position], COLUMN_OBJECT_SIZE, "%s", object);
    }
}

BOOL CMatrixView::IsWindowObject(const CWnd* window) {
    return window != nullptr && ::IsWindow(window->GetSafeHwnd());
}

void CMatrixView::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    if (IsWindowObject(m_table)) {
        m_table->MoveWindow(0, 0, cx, cy, TRUE);
    }
}

int CMatrixView::OnCreate(LPCREATESTRUCT createStruct) {
    if (CWnd::OnCreate(createStruct) == -1) {
        return -1;
    }
    if (!Connect(m_hostContext)) {
        return -1;
    }
    if (m_table == nullptr) {
        CreateTable();
    }
    m_host.ConvertAddress(CONVERT_REGISTER, &m_conversionSlot);
    return 0;
}

// The table fills the view; without its window it gets no columns.
void CMatrixView::CreateTable() {
    m_table = new KSCTable(this, IDC_MATRIX_TABLE, kMatrixTableOptions, nullptr);
    if (IsWindowObject(m_table)) {
        InsertMatrixColumns(m_table->Model(), Localize);
    }
    CFont* font = CFont::FromHandle(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    SetFont(font, TRUE);
    m_table->SetFont(font, TRUE);
    m_table->Model().SetTransposed(0);
}

// Tracked on the nearest window without WS_CHILD, the host's top-level window, which
// hands the choice back through the Command export.
void CMatrixView::OnContextMenu(CWnd*, CPoint point) {
    CMenu* menu = m_host.PopupMenu();
    if (!IsWindowObject(m_table) || menu == nullptr) {
        return;
    }
    point = ContextMenuPoint(*this, point);
    CWnd* owner = this;
    while (owner != nullptr && (owner->GetStyle() & WS_CHILD) != 0) {
        owner = owner->GetParent();
    }
    CMenu* popup = menu->GetSubMenu(0);
    if (popup != nullptr && owner != nullptr) {
        popup->TrackPopupMenu(TPM_RIGHTBUTTON, point.x, point.y, owner);
    }
}

BOOL CMatrixView::OnEraseBkgnd(CDC* dc) {
    CRect clip;
    dc->GetClipBox(&clip);
    CBrush* previous = dc->SelectObject(CBrush::FromHandle(GetSysColorBrush(COLOR_WINDOW)));
    dc->PatBlt(clip.left, clip.top, clip.Width(), clip.Height(), PATCOPY);
    dc->SelectObject(previous);
    return TRUE;
}

// The host may destroy its tab without calling Close. The view then lets go of what its
// window held, so that the next InitTab connects and builds a table again instead of
// keeping a windowless table and a connection that nothing would end.
void CMatrixView::OnDestroy() {
    CWnd::OnDestroy();
    Disconnect();
    ReleaseTable();
}

void CMatrixView::OnVScroll(UINT code, UINT position, CScrollBar* bar) {
    ForwardScroll(WM_VSCROLL, SB_VERT, code, position, bar);
}

void CMatrixView::OnHScroll(UINT code, UINT position, CScrollBar* bar) {
    ForwardScroll(WM_HSCROLL, SB_HORZ, code, position, bar);
}

// Moves the table as the host's shared bar asks. The horizontal thumb moves the
// table only when released; the vertical one moves it while tracking too.
void CMatrixView::ForwardScroll(UINT message, int bar, UINT code, UINT position, CScrollBar* from) {
    if (from == nullptr || m_table == nullptr || code >= SB_ENDSCROLL) {
        return;
    }
    CScrollBar* control = m_table->GetScrollBarCtrl(bar);
    if (control == nullptr || !IsWindowObject(from) || !IsWindowObject(m_table)) {
        return;
    }
    if (bar == SB_HORZ && code == SB_THUMBTRACK) {
        return;
    }
    WPARAM wParam = code;
    if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK) {
        wParam |= static_cast<WPARAM>(ThumbPosition(from, position)) << 16;
    }
    m_table->SendMessage(message, wParam, reinterpret_cast<LPARAM>(control->GetSafeHwnd()));
}

// A sender may have packed only the low word of the thumb position; the bar itself
// knows all 32 bits (SIF_TRACKPOS), which matters beyond 65,535 rows. The bar's value is
// taken when the message carries its low word, so a position sent whole stays as sent.
UINT CMatrixView::ThumbPosition(CScrollBar* bar, UINT position) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    if (!bar->GetScrollInfo(&info, SIF_TRACKPOS)) {
        return position;
    }
    const UINT tracked = static_cast<UINT>(info.nTrackPos);
    return LOWORD(tracked) == position ? tracked : position;
}

LRESULT CMatrixView::OnTableLayout(WPARAM, LPARAM) {
    SyncHostScrollBars(FALSE);
    return 0;
}

void CMatrixView::SyncHostScrollBars(BOOL clear) {
    SECTabWnd* tabs = ActiveHostTab();
    if (tabs == nullptr) {
        return;
    }
    m_horzBar = tabs->GetScrollBar(SB_HORZ, this);
    m_vertBar = tabs->GetScrollBar(SB_VERT, this);
    CopyScrollState(SB_HORZ, m_horzBar, clear);
    CopyScrollState(SB_VERT, m_vertBar, clear);
}

// The parent tab window when this view is one of its tabs and the active one.
SECTabWnd* CMatrixView::ActiveHostTab() const {
    CWnd* parent = GetParent();
    if (parent == nullptr || !parent->IsKindOf(RUNTIME_CLASS(SECTabWnd))) {
        return nullptr;
    }
    SECTabWnd* tabs = static_cast<SECTabWnd*>(parent);
    int active = -1;
    if (!tabs->GetActiveTab(active) || active != m_tabIndex || !tabs->TabExists(this)) {
        return nullptr;
    }
    return tabs;
}

// Without a table the bar gets an empty record, which clears it.
void CMatrixView::CopyScrollState(int bar, CScrollBar* target, BOOL clear) {
    if (target == nullptr) {
        return;
    }
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    if (m_table != nullptr) {
        m_table->GetScrollBarInfo(&info, bar);
    }
    if (clear) {
        info.fMask |= SIF_RANGE;
        info.nMin = 0;
        info.nMax = 0;
    }
    target->SetScrollInfo(&info, TRUE);
}

void CMatrixView::OnLButtonDblClk(UINT, CPoint) {
    DispatchCommand(ID_GRAPH_ALL);
}

void CMatrixView::DispatchCommand(UINT id) {
    switch (id) {
    case ID_GRAPH_UTILIZATION:
    case ID_HOST_UTILIZATION:
        OpenCategoryGraph(GRAPH_UTILIZATION);
        break;
    case ID_GRAPH_PACKETS:
    case ID_HOST_PACKETS:
        OpenCategoryGraph(GRAPH_PACKETS);
        break;
    case ID_GRAPH_BYTES:
    case ID_HOST_BYTES:
        OpenCategoryGraph(GRAPH_BYTES);
        break;
    case ID_GRAPH_ERRORS:
    case ID_HOST_ERRORS:
        OpenCategoryGraph(GRAPH_ERRORS);
        break;
    case ID_GRAPH_ALL:
    case ID_HOST_ALL:
        OpenAllGraphs();
        break;
    case ID_CONVERSATIONS:
        OpenConversationWindow();
        break;
    default:
        break;
    }
    if (IsWindowObject(m_table)) {
        m_table->UpdateWindow();
    }
}

// Half the frame's client area at its top-left corner, maximised when the host's active
// child is. Like the graph frames it needs a live multi-document frame (the host's always
// is); without one no window object is made, so nothing is left behind.
void CMatrixView::OpenConversationWindow() {
    std::string index;
    CMDIFrameWnd* parent = GraphParentFrame();
    if (!CollectPairs(index) || parent == nullptr) {
        return;
    }
    ConversationWindow* window = m_host.NewConversationWindow(GetTargetNode(), m_pairNames,
                                                              m_pairAddresses, index.c_str(), this);
    if (window == nullptr) {
        return;
    }
    CRect client;
    m_frame->GetClientRect(&client);
    const CRect rect(0, 0, client.Width() / 2, client.Height() / 2);
    const DWORD style = kConversationStyle | (ActiveFrameMaximized() ? WS_MAXIMIZE : 0);
    CMDIChildWnd* child = window->ChildFrame();
    // A refused creation destroys the window, and the framework deletes the object.
    if (!child->Create(nullptr, kConversationCaption, style, rect, parent) ||
        !IsWindowObject(child)) {
        return;
    }
    window->StartPolling();
    window->RequestAllPairs();
}

// Errors graphs of linked pairs are not offered; the index text is freed all the same.
LRESULT CMatrixView::OnMatrixErrors(const AddressListNode*, std::unique_ptr<char[]>) {
    return 0;
}

BOOL CMatrixView::CollectPairs(std::string& index) {
    m_pairNames.clear();
    m_pairAddresses.clear();
    if (!IsWindowObject(m_table)) {
        return FALSE;
    }
    int row = m_table->Model().GetNextSelectedRow(-1);
    if (row == -1) {
        return FALSE;
    }
    index = m_table->Model().GetCellText(row, COL_INDEX);
    for (; row != -1; row = m_table->Model().GetNextSelectedRow(row)) {
        if (lstrcmpi(m_table->Model().GetCellText(row, COL_INDEX).c_str(), index.c_str()) != 0) {
            MessageBox(Localize("Matrix can be viewed on nodes with same index"),
                       Localize("RAZIZova"), MB_OK);
            return FALSE;
        }
        AddPairMember(m_table->Model().GetCellText(row, COL_SOURCE_NAME),
                      m_table->Model().GetCellText(row, COL_SOURCE_ADDRESS));
        AddPairMember(m_table->Model().GetCellText(row, COL_DESTINATION_NAME),
                      m_table->Model().GetCellText(row, COL_DESTINATION_ADDRESS));
    }
    return !m_pairNames.empty();
}

// A name seen before, the row's own source included, is skipped together with its
// address, so that names and addresses keep matching positions; a node that talks to
// itself appears once.
void CMatrixView::AddPairMember(const std::string& name, const std::string& address) {
    for (const std::string& known : m_pairNames) {
        if (known == name) {
            return;
        }
    }
    m_pairNames.push_back(name);
    m_pairAddresses.push_back(address);
}

void CMatrixView::CloseView() {
    Disconnect();
    if (IsWindowObject(m_table)) {
        ReleaseTable();
    }
    m_host.ConvertAddress(CONVERT_UNREGISTER, &m_conversionSlot);
}

void CMatrixView::ReleaseTable() {
    if (IsWindowObject(m_table)) {
        m_table->DestroyWindow();
    }
    delete m_table;
    m_table = nullptr;
    m_rowIndex.Clear();
}

BOOL CMatrixView::HasSelectedRows() const {
    return IsWindowObject(m_table) && m_table->Model().GetNextSelectedRow(-1) != -1;
}
