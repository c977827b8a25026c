#include "platform/framework/sec_tab_wnd.h"

#include "platform/framework/cdc.h"
#include "platform/framework/gdi_object.h"
#include "platform/framework/scroll_bar.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Tab font states, as the toolkit numbers them.
enum TabState { TabInactive = 0, TabSelected = 1, TabActive = 2 };

constexpr int kTabHeight = 20;      // the tab row: fits the 8-point GUI font with a margin
constexpr int kSlant = 6;           // each tab's sides lean in by this much at the bottom
constexpr int kPadding = 10;        // blank space either side of a label
constexpr UINT kHorzBarId = 0xEA00; // the framework's first horizontal and vertical
constexpr UINT kVertBarId = 0xEA10; // scroll bar ids

} // namespace

struct SECTabWnd::Impl {
    struct Tab {
        std::string label;
        CWnd* page;
        HWND pageHwnd; // the page object is trusted only while this is a window
        BOOL selected;
        CRect rect; // in the tab row, from the last layout
    };

    std::vector<Tab> tabs;
    int active = -1;
    CFont fonts[3];
    CScrollBar horzBar;
    CScrollBar vertBar;
    CRect pageRect;

    bool Valid(int position) const {
        return position >= 0 && position < static_cast<int>(tabs.size());
    }
    CWnd* PageOf(int position) const {
        return Valid(position) && IsWindow(tabs[position].pageHwnd) ? tabs[position].page : nullptr;
    }
    int Find(const CWnd* page) const {
        for (size_t i = 0; i < tabs.size(); ++i) {
            if (page != nullptr && tabs[i].page == page && IsWindow(tabs[i].pageHwnd)) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    CScrollBar* Bar(int bar) {
        CScrollBar* control = bar == SB_HORZ ? &horzBar : bar == SB_VERT ? &vertBar : nullptr;
        return control != nullptr && IsWindow(control->m_hWnd) ? control : nullptr;
    }
};

IMPLEMENT_DYNCREATE(SECTabWnd, CWnd)

BEGIN_MESSAGE_MAP(SECTabWnd, CWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_LBUTTONDOWN()
ON_MESSAGE(TCM_GETITEMCOUNT, OnGetItemCount)
ON_MESSAGE(TCM_SETCURSEL, OnSetCurSel)
END_MESSAGE_MAP()

SECTabWnd::SECTabWnd() : m_impl(std::make_unique<Impl>()) {
    LOGFONT font{};
    CFont::FromHandle(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)))->GetLogFont(&font);
    m_impl->fonts[TabInactive].CreateFontIndirect(&font);
    m_impl->fonts[TabSelected].CreateFontIndirect(&font);
    font.lfWeight = FW_BOLD;
    m_impl->fonts[TabActive].CreateFontIndirect(&font);
}

SECTabWnd::~SECTabWnd() {
    DestroyWindow();
}

BOOL SECTabWnd::Create(CWnd* parent, DWORD style, UINT id) {
    CRect none(0, 0, 0, 0);
    return CWnd::Create(nullptr, nullptr, style, none, parent, id);
}

int SECTabWnd::OnCreate(LPCREATESTRUCT createStruct) {
    if (CWnd::OnCreate(createStruct) == -1) {
        return -1;
    }
    CRect none(0, 0, 0, 0);
    DWORD style = GetStyle();
    DWORD barStyle = WS_CHILD | WS_VISIBLE;
    if ((style & WS_HSCROLL) &&
        !m_impl->horzBar.Create(barStyle | SBS_HORZ, none, this, kHorzBarId)) {
        return -1;
    }
    if ((style & WS_VSCROLL) &&
        !m_impl->vertBar.Create(barStyle | SBS_VERT, none, this, kVertBarId)) {
        return -1;
    }
    return 0;
}

int SECTabWnd::AddTab(CWnd* page, LPCSTR label) {
    if (page == nullptr || !IsWindow(page->m_hWnd) || !IsWindow(m_hWnd)) {
        return -1;
    }
    if (page->GetParent() != this) {
        page->SetParent(this);
    }
    m_impl->tabs.push_back({label != nullptr ? label : "", page, page->m_hWnd, FALSE, CRect()});
    int position = static_cast<int>(m_impl->tabs.size()) - 1;
    if (m_impl->active < 0) {
        m_impl->active = position;
    }
    Layout();
    return position;
}

BOOL SECTabWnd::RemoveTab(int position) {
    if (!m_impl->Valid(position)) {
        return FALSE;
    }
    m_impl->tabs.erase(m_impl->tabs.begin() + position);
    if (m_impl->active > position) {
        --m_impl->active;
    } else if (m_impl->active == position) {
        // The page that took the removed one's place becomes active, else the one before.
        int count = static_cast<int>(m_impl->tabs.size());
        m_impl->active = -1;
        for (int i = position; i < count && m_impl->active < 0; ++i) {
            m_impl->active = m_impl->PageOf(i) != nullptr ? i : -1;
        }
        for (int i = position - 1; i >= 0 && m_impl->active < 0; --i) {
            m_impl->active = m_impl->PageOf(i) != nullptr ? i : -1;
        }
    }
    Layout();
    return TRUE;
}

BOOL SECTabWnd::RenameTab(int position, LPCSTR label) {
    if (!m_impl->Valid(position)) {
        return FALSE;
    }
    m_impl->tabs[position].label = label != nullptr ? label : "";
    Layout();
    return TRUE;
}

BOOL SECTabWnd::ActivateTab(int position) {
    CWnd* page = m_impl->PageOf(position);
    if (page == nullptr) {
        return FALSE;
    }
    m_impl->active = position;
    Layout();
    if (CWnd* parent = GetParent()) {
        parent->SendMessage(TCM_TABSEL, static_cast<WPARAM>(position),
                            reinterpret_cast<LPARAM>(page));
    }
    return TRUE;
}

BOOL SECTabWnd::ActivateTab(CWnd* page) {
    return ActivateTab(m_impl->Find(page));
}

BOOL SECTabWnd::GetActiveTab(int& position) const {
    if (m_impl->PageOf(m_impl->active) == nullptr) {
        return FALSE;
    }
    position = m_impl->active;
    return TRUE;
}

BOOL SECTabWnd::GetActiveTab(CWnd*& page) const {
    page = m_impl->PageOf(m_impl->active);
    return page != nullptr ? TRUE : FALSE;
}

BOOL SECTabWnd::SelectTab(int position, BOOL selected) {
    if (!m_impl->Valid(position)) {
        return FALSE;
    }
    m_impl->tabs[position].selected = selected;
    Invalidate();
    return TRUE;
}

int SECTabWnd::GetTabCount() const {
    return static_cast<int>(m_impl->tabs.size());
}

LRESULT SECTabWnd::OnGetItemCount(WPARAM, LPARAM) {
    return GetTabCount();
}

LRESULT SECTabWnd::OnSetCurSel(WPARAM position, LPARAM) {
    int before = -1;
    GetActiveTab(before);
    return ActivateTab(static_cast<int>(position)) ? before : -1;
}

BOOL SECTabWnd::TabExists(int position) const {
    return m_impl->PageOf(position) != nullptr;
}

BOOL SECTabWnd::TabExists(const CWnd* page) const {
    return m_impl->Find(page) >= 0;
}

BOOL SECTabWnd::FindTab(const CWnd* page, int& position) const {
    int found = m_impl->Find(page);
    if (found < 0) {
        return FALSE;
    }
    position = found;
    return TRUE;
}

CWnd* SECTabWnd::GetTabWnd(int position) const {
    return m_impl->PageOf(position);
}

BOOL SECTabWnd::GetTabInfo(int position, LPCSTR& label, BOOL& selected, CWnd*& page,
                           void*& extra) const {
    if (!m_impl->Valid(position)) {
        return FALSE;
    }
    const Impl::Tab& tab = m_impl->tabs[position];
    label = tab.label.c_str();
    selected = tab.selected;
    page = m_impl->PageOf(position);
    extra = nullptr;
    return TRUE;
}

void SECTabWnd::SetTabFont(int state, CFont* font, BOOL redraw) {
    LOGFONT copy{};
    if (font == nullptr || !font->GetLogFont(&copy)) {
        return;
    }
    m_impl->fonts[state].DeleteObject();
    m_impl->fonts[state].CreateFontIndirect(&copy);
    Layout();
    if (redraw) {
        Invalidate();
    }
}

void SECTabWnd::SetFontActiveTab(CFont* font, BOOL redraw) {
    SetTabFont(TabActive, font, redraw);
}

void SECTabWnd::SetFontSelectedTab(CFont* font, BOOL redraw) {
    SetTabFont(TabSelected, font, redraw);
}

void SECTabWnd::SetFontInactiveTab(CFont* font, BOOL redraw) {
    SetTabFont(TabInactive, font, redraw);
}

CScrollBar* SECTabWnd::GetScrollBar(int bar, const CWnd* tab) const {
    if (tab != nullptr && !TabExists(tab)) {
        return nullptr;
    }
    return m_impl->Bar(bar);
}

void SECTabWnd::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    Layout();
}

// Tabs along the bottom row, the horizontal bar right of them, the vertical bar down the
// right edge above the row, the active page over the rest; other pages are hidden. The
// shared bars talk to the active page.
void SECTabWnd::Layout() {
    if (!IsWindow(m_hWnd)) {
        return;
    }
    CRect client;
    GetClientRect(&client);
    int rowTop = std::max(client.bottom - kTabHeight, 0);
    CScrollBar* vert = m_impl->Bar(SB_VERT);
    CScrollBar* horz = m_impl->Bar(SB_HORZ);
    int vertWidth = vert != nullptr ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    m_impl->pageRect = CRect(0, 0, std::max(client.right - vertWidth, 0), rowTop);

    CClientDC dc(this);
    int x = 0;
    for (size_t i = 0; i < m_impl->tabs.size(); ++i) {
        Impl::Tab& tab = m_impl->tabs[i];
        int state = static_cast<int>(i) == m_impl->active ? TabActive
                    : tab.selected                        ? TabSelected
                                                          : TabInactive;
        CFont* old = dc.SelectObject(&m_impl->fonts[state]);
        int width = dc.GetTextExtent(tab.label).cx + 2 * kPadding;
        dc.SelectObject(old);
        tab.rect = CRect(x, rowTop, x + width, client.bottom);
        x += width - kSlant;
    }
    int stripWidth = x + kSlant;
    if (horz != nullptr) {
        stripWidth = std::min(stripWidth, client.right / 2);
        horz->MoveWindow(stripWidth, rowTop, std::max(client.right - stripWidth, 0), kTabHeight);
    }
    if (vert != nullptr) {
        vert->MoveWindow(client.right - vertWidth, 0, vertWidth, rowTop);
    }

    CWnd* activePage = m_impl->PageOf(m_impl->active);
    for (size_t i = 0; i < m_impl->tabs.size(); ++i) {
        CWnd* page = m_impl->PageOf(static_cast<int>(i));
        if (page != nullptr && page != activePage) {
            page->ShowWindow(SW_HIDE);
        }
    }
    if (activePage != nullptr) {
        activePage->MoveWindow(&m_impl->pageRect);
        activePage->ShowWindow(SW_SHOW);
    }
    HWND target = activePage != nullptr ? activePage->m_hWnd : nullptr;
    for (CScrollBar* bar : {horz, vert}) {
        if (bar != nullptr) {
            bar->SetNotifyWnd(target);
        }
    }
    Invalidate();
}

BOOL SECTabWnd::OnEraseBkgnd(CDC* dc) {
    CRect client;
    GetClientRect(&client);
    dc->FillSolidRect(&client, GetSysColor(COLOR_APPWORKSPACE));
    return TRUE;
}

void SECTabWnd::PaintTab(CDC& dc, int position) {
    const Impl::Tab& tab = m_impl->tabs[position];
    const CRect& r = tab.rect;
    bool active = position == m_impl->active;
    CBrush face(GetSysColor(active ? COLOR_WINDOW : COLOR_BTNFACE));
    CPen outline(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT));
    CBrush* oldBrush = dc.SelectObject(&face);
    CPen* oldPen = dc.SelectObject(&outline);
    POINT corners[] = {{r.left, r.top},
                       {r.right, r.top},
                       {r.right - kSlant, r.bottom - 1},
                       {r.left + kSlant, r.bottom - 1}};
    dc.Polygon(corners, 4);
    int state = active ? TabActive : tab.selected ? TabSelected : TabInactive;
    CFont* oldFont = dc.SelectObject(&m_impl->fonts[state]);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(COLOR_BTNTEXT));
    CRect text = r;
    dc.DrawText(tab.label, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    dc.SelectObject(oldFont);
    dc.SelectObject(oldPen);
    dc.SelectObject(oldBrush);
}

void SECTabWnd::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    CRect row(0, std::max(client.bottom - kTabHeight, 0), client.right, client.bottom);
    dc.FillSolidRect(&row, GetSysColor(COLOR_BTNFACE));
    // The active tab is drawn last so that it lies over its neighbours' slanted edges.
    for (int i = 0; i < GetTabCount(); ++i) {
        if (i != m_impl->active) {
            PaintTab(dc, i);
        }
    }
    if (m_impl->Valid(m_impl->active)) {
        PaintTab(dc, m_impl->active);
    }
}

void SECTabWnd::OnLButtonDown(UINT, CPoint point) {
    // The active tab is on top, so it wins where two tabs overlap.
    if (m_impl->Valid(m_impl->active) && m_impl->tabs[m_impl->active].rect.PtInRect(point)) {
        ActivateTab(m_impl->active);
        return;
    }
    for (int i = 0; i < GetTabCount(); ++i) {
        if (m_impl->tabs[i].rect.PtInRect(point)) {
            ActivateTab(i);
            return;
        }
    }
}
