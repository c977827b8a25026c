#include "graphwnd/multi_tab_mdi_child_wnd.h"

namespace {

// The tab fonts: 14 pixels high, normal for inactive tabs, bold for the active and the
// selected ones; the face is the system's default.
LOGFONT TabFont(LONG weight) {
    LOGFONT font{};
    font.lfHeight = 14;
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    return font;
}

} // namespace

IMPLEMENT_DYNCREATE(CMultiTabMDIChildWnd, CMDIChildWnd)

BEGIN_MESSAGE_MAP(CMultiTabMDIChildWnd, CMDIChildWnd)
ON_MESSAGE(TCM_TABSEL, OnTabSelected)
ON_WM_SIZE()
END_MESSAGE_MAP()

CMultiTabMDIChildWnd::CMultiTabMDIChildWnd() = default;

CMultiTabMDIChildWnd::~CMultiTabMDIChildWnd() {
    m_tabWnd.DestroyWindow();
    for (const std::unique_ptr<TabPageEntry>& entry : m_tabEntries) {
        delete entry->page;
    }
    m_tabEntries.clear();
}

BOOL CMultiTabMDIChildWnd::CreateTabWnd(DWORD style) {
    if (::IsWindow(m_tabWnd.GetSafeHwnd())) {
        return FALSE;
    }
    if (!m_tabWnd.Create(this, style, AFX_IDW_PANE_FIRST)) {
        return FALSE;
    }
    const LOGFONT normal = TabFont(FW_NORMAL);
    const LOGFONT bold = TabFont(FW_BOLD);
    CFont fontNormal;
    CFont fontActive;
    CFont fontSelected;
    fontNormal.CreateFontIndirect(&normal);
    fontActive.CreateFontIndirect(&bold);
    fontSelected.CreateFontIndirect(&bold);
    // The tab window copies the fonts; these go on return.
    m_tabWnd.SetFontActiveTab(&fontActive);
    m_tabWnd.SetFontSelectedTab(&fontSelected);
    m_tabWnd.SetFontInactiveTab(&fontNormal);
    // The frame may be made minimised and hidden, and sized before its pane exists: the
    // pane is laid out now, not only at the next WM_SIZE.
    RecalcLayout();
    return ::IsWindow(m_tabWnd.GetSafeHwnd());
}

void CMultiTabMDIChildWnd::AddTab(CWnd* page, LPCSTR label, LPCSTR caption) {
    m_tabWnd.AddTab(page, label);
    auto entry = std::make_unique<TabPageEntry>();
    entry->caption = caption != nullptr ? caption : "";
    entry->page = page;
    m_tabEntries.push_back(std::move(entry));
}

// The tab window tells which tab became active; the caption changes only when that tab
// still holds the page its entry was made for.
LRESULT CMultiTabMDIChildWnd::OnTabSelected(WPARAM position, LPARAM) {
    LPCSTR label = nullptr;
    BOOL selected = FALSE;
    CWnd* page = nullptr;
    void* extra = nullptr;
    const int tab = static_cast<int>(position);
    if (!m_tabWnd.GetTabInfo(tab, label, selected, page, extra) ||
        tab >= static_cast<int>(m_tabEntries.size())) {
        return 0;
    }
    const TabPageEntry& entry = *m_tabEntries[tab];
    if (entry.page != nullptr && page != nullptr &&
        entry.page->GetSafeHwnd() == page->GetSafeHwnd()) {
        SetWindowText(entry.caption.c_str());
    }
    return 0;
}

// The frame's layout sizes the tab window, its first pane.
void CMultiTabMDIChildWnd::OnSize(UINT type, int cx, int cy) {
    CMDIChildWnd::OnSize(type, cx, cy);
}
