#include "platform/framework/mdi_client_wnd.h"

#include "platform/core/window_private.h"
#include "platform/framework/mdi_child_wnd.h"
#include "platform/framework/mdi_frame_wnd.h"
#include "platform/framework/menu_api.h"
#include "platform/framework/window_list_dialog.h"

#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QShortcut>

#include <algorithm>
#include <cstdio>

IMPLEMENT_DYNAMIC(CMDIClientWnd, CWnd)

BEGIN_MESSAGE_MAP(CMDIClientWnd, CWnd)
ON_MESSAGE(WM_MDIACTIVATE, OnMDIActivate)
ON_MESSAGE(WM_MDIDESTROY, OnMDIDestroy)
ON_MESSAGE(WM_MDIMAXIMIZE, OnMDIMaximize)
ON_MESSAGE(WM_MDIRESTORE, OnMDIRestore)
ON_MESSAGE(WM_MDINEXT, OnMDINext)
ON_MESSAGE(WM_MDICASCADE, OnMDICascade)
ON_MESSAGE(WM_MDITILE, OnMDITile)
ON_MESSAGE(WM_MDIGETACTIVE, OnMDIGetActive)
ON_MESSAGE(WM_MDIICONARRANGE, OnMDIIconArrange)
ON_MESSAGE(WM_MDISETMENU, OnMDISetMenu)
ON_MESSAGE(WM_MDIREFRESHMENU, OnMDIRefreshMenu)
END_MESSAGE_MAP()

namespace {

// The window menu lists at most nine children, numbered as Windows numbers them; with more,
// "More Windows..." follows them.
constexpr size_t kListedMax = 9;
// One step of a cascade: a child frame's caption with its border.
constexpr int kCascadeStep = 24;

QSize CascadeSize(const QSize& area) {
    return QSize(area.width() * 3 / 4, area.height() * 3 / 4);
}

// The size of each of `count` cascaded children: three quarters of the area, smaller when
// that lets the whole diagonal fit (down to a third of the area; past that it wraps).
QSize CascadeSize(const QSize& area, int count) {
    const QSize largest = CascadeSize(area);
    const int offset = kCascadeStep * std::max(count - 1, 0);
    return QSize(std::max(std::min(largest.width(), area.width() - offset), area.width() / 3),
                 std::max(std::min(largest.height(), area.height() - offset), area.height() / 3));
}

// The next cascade place after `corner`, back at the origin when the child would not fit.
QPoint NextCascadePoint(const QPoint& corner, const QSize& size, const QSize& area) {
    const QPoint next = corner + QPoint(kCascadeStep, kCascadeStep);
    if (next.x() + size.width() > area.width() || next.y() + size.height() > area.height()) {
        return QPoint(0, 0);
    }
    return next;
}

} // namespace

QWidget* CMDIClientWnd::CreateNativeWidget(QWidget* parentWidget) {
    m_area = new QMdiArea(parentWidget);
    m_area->setBackground(QColor(128, 128, 128)); // COLOR_APPWORKSPACE of the classic scheme
    // When the active child goes, Windows activates the next child in z-order: the one that
    // was active before it. Qt's default (creation order) raised the oldest child instead,
    // observed with real input: a plug-in window made and destroyed inside a double click
    // put the console's Nodes list over the maximized node window, which then took the
    // next click.
    m_area->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    // Children moved or sized past the area's edges stay reachable, as in an MDI client.
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The area may outlive this object (Qt deletes it later): find the object by handle.
    HWND self = m_hWnd;
    QObject::connect(m_area, &QMdiArea::subWindowActivated, m_area, [self](QMdiSubWindow* window) {
        if (auto* client = DYNAMIC_DOWNCAST(CMDIClientWnd, CWnd::FromHandle(self))) {
            client->OnSubWindowActivated(window);
        }
    });
    AddShortcuts();
    return m_area;
}

// The keys of MDI programs that cycle through the children (Qt's area already takes
// Ctrl+Tab and Ctrl+Shift+Tab) and close the active one, with WM_CLOSE as its close button.
void CMDIClientWnd::AddShortcuts() {
    QMdiArea* area = m_area;
    HWND self = m_hWnd;
    auto* close = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4), area);
    QObject::connect(close, &QShortcut::activated, area, [self] {
        if (auto* client = DYNAMIC_DOWNCAST(CMDIClientWnd, CWnd::FromHandle(self))) {
            ::PostMessage(client->ActiveChild(), WM_CLOSE, 0, 0);
        }
    });
    auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F6), area);
    QObject::connect(next, &QShortcut::activated, area,
                     [self] { ::SendMessage(self, WM_MDINEXT, 0, FALSE); });
    auto* previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6), area);
    QObject::connect(previous, &QShortcut::activated, area,
                     [self] { ::SendMessage(self, WM_MDINEXT, 0, TRUE); });
}

void CMDIClientWnd::PostNcDestroy() {
    delete this;
}

// Qt reports NULL when the whole program loses activation; an MDI client keeps its active
// child then, as on Windows. The child in front changed: the windows it now covers give
// their images back.
void CMDIClientWnd::OnSubWindowActivated(QMdiSubWindow* window) {
    platform::ScheduleReleaseOfCoveredImages();
    HWND child = window == nullptr ? nullptr : platform::WindowFromWidget(window);
    if (child != nullptr && IsChildOfThis(child)) {
        Activate(child);
    }
}

bool CMDIClientWnd::IsChildOfThis(HWND child) const {
    return IsWindow(child) && ::GetParent(child) == m_hWnd;
}

HWND CMDIClientWnd::ActiveChild() const {
    return IsWindow(m_active) ? m_active : nullptr;
}

void CMDIClientWnd::Activate(HWND child) {
    if (child == ActiveChild() || !IsChildOfThis(child)) {
        return;
    }
    HWND previous = ActiveChild();
    RememberFocus(previous);
    m_active = child;
    if (auto* window = qobject_cast<QMdiSubWindow*>(platform::WindowWidget(child))) {
        m_area->setActiveSubWindow(window);
    }
    WPARAM wParam = reinterpret_cast<WPARAM>(previous);
    LPARAM lParam = reinterpret_cast<LPARAM>(child);
    if (previous != nullptr) {
        ::SendMessage(previous, WM_MDIACTIVATE, wParam, lParam);
    }
    ::SendMessage(child, WM_MDIACTIVATE, wParam, lParam);
    if (ActiveChild() == child) {
        RestoreFocus(child);
    }
}

void CMDIClientWnd::RememberFocus(HWND child) {
    HWND focus = ::GetFocus();
    if (child != nullptr && focus != nullptr && (focus == child || ::IsChild(child, focus))) {
        m_lastFocus[child] = focus;
    }
}

// Entries of children that went are dropped on the way.
void CMDIClientWnd::RestoreFocus(HWND child) {
    for (auto it = m_lastFocus.begin(); it != m_lastFocus.end();) {
        it = IsWindow(it->first) ? std::next(it) : m_lastFocus.erase(it);
    }
    auto remembered = m_lastFocus.find(child);
    HWND target = child;
    if (remembered != m_lastFocus.end() && ::IsChild(child, remembered->second)) {
        target = remembered->second;
    }
    ::SetFocus(target);
}

std::vector<HWND> CMDIClientWnd::ShownChildren(int order) const {
    std::vector<HWND> children;
    const auto windows = m_area->subWindowList(static_cast<QMdiArea::WindowOrder>(order));
    for (QMdiSubWindow* window : windows) {
        HWND child = platform::WindowFromWidget(window);
        if (window->isVisible() && IsChildOfThis(child)) {
            children.push_back(child);
        }
    }
    return children;
}

std::vector<HWND> CMDIClientWnd::ChildrenInZOrder() const {
    std::vector<HWND> children = ShownChildren(QMdiArea::StackingOrder);
    std::reverse(children.begin(), children.end()); // Qt lists the bottom one first
    return children;
}

HWND CMDIClientWnd::ListedChild(UINT index) const {
    return index < m_listed.size() && IsChildOfThis(m_listed[index]) ? m_listed[index] : nullptr;
}

LRESULT CMDIClientWnd::OnMDIActivate(WPARAM wParam, LPARAM) {
    Activate(reinterpret_cast<HWND>(wParam));
    return 0;
}

LRESULT CMDIClientWnd::OnMDIDestroy(WPARAM wParam, LPARAM) {
    HWND child = reinterpret_cast<HWND>(wParam);
    if (IsChildOfThis(child)) {
        ::DestroyWindow(child);
    }
    return 0;
}

LRESULT CMDIClientWnd::OnMDIMaximize(WPARAM wParam, LPARAM) {
    HWND child = reinterpret_cast<HWND>(wParam);
    if (IsChildOfThis(child)) {
        ::ShowWindow(child, SW_SHOWMAXIMIZED);
    }
    return 0;
}

LRESULT CMDIClientWnd::OnMDIRestore(WPARAM wParam, LPARAM) {
    HWND child = reinterpret_cast<HWND>(wParam);
    if (IsChildOfThis(child)) {
        ::ShowWindow(child, SW_RESTORE);
    }
    return 0;
}

// As on Windows: the next child is the one under the active child in z-order, and the
// active one goes to the bottom; lParam nonzero takes the bottom child instead.
LRESULT CMDIClientWnd::OnMDINext(WPARAM, LPARAM lParam) {
    const std::vector<HWND> children = ChildrenInZOrder();
    HWND active = ActiveChild();
    if (children.size() < 2 || active == nullptr) {
        return 0;
    }
    const bool previous = lParam != 0;
    HWND next = previous ? children.back() : children[1];
    Activate(next);
    if (!previous) {
        platform::WindowWidget(active)->lower();
    }
    return 0;
}

// A maximised active child counts by the place it comes back to when restored.
RECT CMDIClientWnd::NewChildRect() const {
    const QSize area = m_area->viewport()->size();
    const QSize size = CascadeSize(area);
    QPoint corner(0, 0);
    HWND active = ActiveChild();
    auto* frame = DYNAMIC_DOWNCAST(CMDIChildWnd, CWnd::FromHandle(active));
    if (frame != nullptr && ::IsWindowVisible(active) && !::IsIconic(active)) {
        const CRect normal = frame->NormalRect();
        corner = NextCascadePoint(QPoint(normal.left, normal.top), size, area);
    }
    return RECT{corner.x(), corner.y(), corner.x() + size.width(), corner.y() + size.height()};
}

// The shown children that are not minimised, from the bottom of the z-order up, each one
// caption lower and to the right of the one below it, sized so that the diagonal fits; the
// active one ends in front, last. Qt's own cascade sized each child to its size hint, which
// these windows do not have (observed: 120 x 28, captions only).
LRESULT CMDIClientWnd::OnMDICascade(WPARAM, LPARAM) {
    std::vector<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : m_area->subWindowList(QMdiArea::StackingOrder)) {
        if (window->isVisible() && !window->isMinimized()) {
            windows.push_back(window);
        }
    }
    QWidget* active = platform::WindowWidget(ActiveChild());
    auto found = std::find(windows.begin(), windows.end(), active);
    if (found != windows.end()) {
        std::rotate(found, found + 1, windows.end());
    }
    const QSize area = m_area->viewport()->size();
    const QSize size = CascadeSize(area, static_cast<int>(windows.size()));
    QPoint corner(0, 0);
    for (QMdiSubWindow* window : windows) {
        if (window->isMaximized()) {
            window->showNormal();
        }
        window->setGeometry(QRect(corner, size));
        window->raise();
        corner = NextCascadePoint(corner, size, area);
    }
    return TRUE;
}

LRESULT CMDIClientWnd::OnMDITile(WPARAM, LPARAM) {
    m_area->tileSubWindows();
    return TRUE;
}

// Minimised children in a row along the bottom edge, left to right in creation order, each
// clear of the one before and in front of the windows that would cover it.
LRESULT CMDIClientWnd::OnMDIIconArrange(WPARAM, LPARAM) {
    const int bottom = m_area->viewport()->height();
    int left = 0;
    for (QMdiSubWindow* window : m_area->subWindowList(QMdiArea::CreationOrder)) {
        if (window->isVisible() && window->isMinimized()) {
            window->move(left, bottom - window->height());
            window->raise();
            left += window->width();
        }
    }
    return 0;
}

// lParam: the window menu (NULL keeps the one set before). The frame's menu bar is the
// frame's own here, so wParam is not used.
LRESULT CMDIClientWnd::OnMDISetMenu(WPARAM, LPARAM lParam) {
    if (HMENU menu = reinterpret_cast<HMENU>(lParam)) {
        m_windowMenu = menu;
        m_listedItems = 0;
    }
    return 0;
}

// The list goes after a separator: "&1 caption" per shown child in creation order, the
// active one checked. With more than nine, the active one takes the ninth place when it
// would not be listed, and "More Windows..." ends the menu.
LRESULT CMDIClientWnd::OnMDIRefreshMenu(WPARAM, LPARAM) {
    if (!::IsMenu(m_windowMenu)) {
        return 0;
    }
    for (; m_listedItems > 0; --m_listedItems) {
        ::DeleteMenu(m_windowMenu, UINT(::GetMenuItemCount(m_windowMenu) - 1), MF_BYPOSITION);
    }
    m_listed = ShownChildren(QMdiArea::CreationOrder);
    if (m_listed.empty()) {
        return 0;
    }
    const bool more = m_listed.size() > kListedMax;
    if (more) {
        const auto active = std::find(m_listed.begin(), m_listed.end(), ActiveChild());
        if (active != m_listed.end() && active - m_listed.begin() >= long(kListedMax)) {
            m_listed[kListedMax - 1] = *active;
        }
        m_listed.resize(kListedMax);
    }
    ::AppendMenu(m_windowMenu, MF_SEPARATOR, 0, nullptr);
    m_listedItems = 1;
    for (size_t i = 0; i < m_listed.size(); ++i) {
        char text[300];
        std::snprintf(text, sizeof text, "&%zu %s", i + 1,
                      platform::LookupWindow(m_listed[i])->text.c_str());
        const UINT check = m_listed[i] == ActiveChild() ? MF_CHECKED : MF_UNCHECKED;
        ::AppendMenu(m_windowMenu, MF_STRING | check, AFX_IDM_FIRST_MDICHILD + i, text);
        ++m_listedItems;
    }
    if (more) {
        ::AppendMenu(m_windowMenu, MF_STRING, AFX_IDM_FIRST_MDICHILD + kMoreWindows,
                     "&More Windows...");
        ++m_listedItems;
    }
    return 0;
}

// "More Windows...": every shown child in a list, the active one selected; the one chosen
// is restored if minimised and activated.
void CMDIClientWnd::ChooseFromAllChildren() {
    const std::vector<HWND> children = ShownChildren(QMdiArea::CreationOrder);
    HWND chosen = platform::ChooseWindow(m_hWnd, children, ActiveChild());
    if (!IsChildOfThis(chosen)) {
        return;
    }
    if (::IsIconic(chosen)) {
        ::ShowWindow(chosen, SW_RESTORE);
    }
    Activate(chosen);
}

// A minimised active child hands activation to the last active child that is not
// minimised, as Windows does; with none, it stays active. Posted: Qt activates the
// minimised child again once its state has changed.
void CMDIClientWnd::ActivateAfterMinimise(HWND child) {
    if (child != ActiveChild()) {
        return;
    }
    const auto history = m_area->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = history.rbegin(); it != history.rend(); ++it) {
        HWND candidate = platform::WindowFromWidget(*it);
        if (candidate != child && (*it)->isVisible() && !(*it)->isMinimized() &&
            IsChildOfThis(candidate)) {
            ::PostMessage(m_hWnd, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(candidate), 0);
            return;
        }
    }
}

LRESULT CMDIClientWnd::OnMDIGetActive(WPARAM, LPARAM lParam) {
    HWND active = ActiveChild();
    if (auto* maximized = reinterpret_cast<BOOL*>(lParam)) {
        *maximized = active != nullptr && ::IsZoomed(active);
    }
    return reinterpret_cast<LRESULT>(active);
}
