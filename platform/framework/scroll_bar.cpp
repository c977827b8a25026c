#include "platform/framework/scroll_bar.h"

#include "platform/core/window_private.h"

#include <QScrollBar>
#include <algorithm>
#include <map>
#include <utility>

namespace {

// The state of one scroll bar: a control (SB_CTL) or a window's own bar (SB_HORZ, SB_VERT).
// Observed on Windows: a new bar has the range 0..100, page 0, position 0.
struct BarState {
    int min = 0;
    int max = 100;
    UINT page = 0;
    int pos = 0;
    int trackPos = 0;
    bool tracking = false;
    HWND notify = nullptr;
};

std::map<std::pair<HWND, int>, BarState>& States() {
    static std::map<std::pair<HWND, int>, BarState> states;
    return states;
}

// The state of a live window's bar, made on first use; nullptr for a stale window or a
// SB_CTL request on a window that is not a scroll bar control.
BarState* StateOf(HWND window, int bar) {
    if (!IsWindow(window) || bar < SB_HORZ || bar > SB_CTL) {
        return nullptr;
    }
    if (bar == SB_CTL && DYNAMIC_DOWNCAST(CScrollBar, CWnd::FromHandle(window)) == nullptr) {
        return nullptr;
    }
    std::map<std::pair<HWND, int>, BarState>& states = States();
    auto found = states.find({window, bar});
    if (found != states.end()) {
        return &found->second;
    }
    std::erase_if(states, [](const auto& entry) { return !IsWindow(entry.first.first); });
    return &states[{window, bar}];
}

int MaxPos(const BarState& state) {
    return state.max - std::max(static_cast<int>(state.page) - 1, 0);
}

// Keeps page and position inside the range, as SetScrollInfo does after every change.
void Clamp(BarState& state) {
    UINT span = static_cast<UINT>(state.max - state.min) + 1;
    state.page = std::min(state.page, span);
    state.pos = std::clamp(state.pos, state.min, std::max(MaxPos(state), state.min));
}

QScrollBar* WidgetOfBar(HWND bar) {
    return qobject_cast<QScrollBar*>(platform::WindowWidget(bar));
}

// Shows the state on the Qt widget of a control; a thumb being dragged stays where it is.
void Show(HWND window, const BarState& state) {
    QScrollBar* widget = WidgetOfBar(window);
    if (widget == nullptr) {
        return;
    }
    QSignalBlocker blocker(widget);
    widget->setRange(state.min, std::max(MaxPos(state), state.min));
    widget->setPageStep(std::max<int>(static_cast<int>(state.page), 1));
    if (!widget->isSliderDown()) {
        widget->setValue(state.pos);
    }
}

bool Scrollable(const BarState& state) {
    return state.min < state.max && static_cast<UINT>(state.max - state.min) >= state.page;
}

} // namespace

int SetScrollInfo(HWND window, int nBar, const SCROLLINFO* info, BOOL redraw) {
    BarState* state = StateOf(window, nBar);
    if (state == nullptr || info == nullptr) {
        return 0;
    }
    if (info->fMask & SIF_PAGE) {
        state->page = info->nPage;
    }
    if (info->fMask & SIF_POS) {
        state->pos = info->nPos;
    }
    if (info->fMask & SIF_RANGE) {
        // A reversed or too wide range empties the bar, as on Windows.
        bool valid =
            info->nMin <= info->nMax && static_cast<UINT>(info->nMax - info->nMin) < 0x80000000u;
        state->min = valid ? info->nMin : 0;
        state->max = valid ? info->nMax : 0;
    }
    Clamp(*state);
    if (info->fMask & SIF_DISABLENOSCROLL) {
        EnableWindow(window, Scrollable(*state) ? TRUE : FALSE);
    }
    if (redraw) {
        Show(window, *state);
    }
    return state->pos;
}

BOOL GetScrollInfo(HWND window, int nBar, SCROLLINFO* info) {
    BarState* state = StateOf(window, nBar);
    if (state == nullptr || info == nullptr || !(info->fMask & SIF_ALL)) {
        return FALSE;
    }
    if (info->fMask & SIF_RANGE) {
        info->nMin = state->min;
        info->nMax = state->max;
    }
    if (info->fMask & SIF_PAGE) {
        info->nPage = state->page;
    }
    if (info->fMask & SIF_POS) {
        info->nPos = state->pos;
    }
    if (info->fMask & SIF_TRACKPOS) {
        info->nTrackPos = state->tracking ? state->trackPos : state->pos;
    }
    return TRUE;
}

int SetScrollPos(HWND window, int nBar, int pos, BOOL redraw) {
    BarState* state = StateOf(window, nBar);
    if (state == nullptr) {
        return 0;
    }
    int previous = state->pos;
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, pos, 0};
    SetScrollInfo(window, nBar, &info, redraw);
    return previous;
}

int GetScrollPos(HWND window, int nBar) {
    BarState* state = StateOf(window, nBar);
    return state == nullptr ? 0 : state->pos;
}

BOOL SetScrollRange(HWND window, int nBar, int minPos, int maxPos, BOOL redraw) {
    if (StateOf(window, nBar) == nullptr) {
        return FALSE;
    }
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE, minPos, maxPos, 0, 0, 0};
    SetScrollInfo(window, nBar, &info, redraw);
    return TRUE;
}

BOOL GetScrollRange(HWND window, int nBar, int* minPos, int* maxPos) {
    BarState* state = StateOf(window, nBar);
    if (state == nullptr || minPos == nullptr || maxPos == nullptr) {
        return FALSE;
    }
    *minPos = state->min;
    *maxPos = state->max;
    return TRUE;
}

BOOL EnableScrollBar(HWND window, UINT nBar, UINT arrows) {
    if (StateOf(window, static_cast<int>(nBar)) == nullptr) {
        return FALSE;
    }
    // Qt cannot disable one arrow: the bar is enabled unless both arrows are disabled.
    if (nBar == SB_CTL) {
        EnableWindow(window, arrows == ESB_DISABLE_BOTH ? FALSE : TRUE);
    }
    return TRUE;
}

IMPLEMENT_DYNAMIC(CScrollBar, CWnd)

CScrollBar::CScrollBar() = default;

CScrollBar::~CScrollBar() = default;

BOOL CScrollBar::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    m_vertical = (style & SBS_VERT) != 0;
    return CWnd::Create("SCROLLBAR", nullptr, style, rect, parent, id);
}

BOOL CScrollBar::SetScrollInfo(LPSCROLLINFO info, BOOL redraw) {
    if (!IsWindow(m_hWnd) || info == nullptr) {
        return FALSE;
    }
    ::SetScrollInfo(m_hWnd, SB_CTL, info, redraw);
    return TRUE;
}

BOOL CScrollBar::GetScrollInfo(LPSCROLLINFO info, UINT mask) {
    if (info == nullptr) {
        return FALSE;
    }
    info->fMask = mask;
    return ::GetScrollInfo(m_hWnd, SB_CTL, info);
}

int CScrollBar::GetScrollPos() const {
    return ::GetScrollPos(m_hWnd, SB_CTL);
}

int CScrollBar::SetScrollPos(int pos, BOOL redraw) {
    return ::SetScrollPos(m_hWnd, SB_CTL, pos, redraw);
}

void CScrollBar::GetScrollRange(LPINT minPos, LPINT maxPos) const {
    ::GetScrollRange(m_hWnd, SB_CTL, minPos, maxPos);
}

void CScrollBar::SetScrollRange(int minPos, int maxPos, BOOL redraw) {
    ::SetScrollRange(m_hWnd, SB_CTL, minPos, maxPos, redraw);
}

int CScrollBar::GetScrollLimit() {
    BarState* state = StateOf(m_hWnd, SB_CTL);
    return state == nullptr ? 0 : std::max(MaxPos(*state), state->min);
}

void CScrollBar::ShowScrollBar(BOOL show) {
    ShowWindow(show ? SW_SHOW : SW_HIDE);
}

BOOL CScrollBar::EnableScrollBar(UINT arrows) {
    return ::EnableScrollBar(m_hWnd, SB_CTL, arrows);
}

void CScrollBar::SetNotifyWnd(HWND target) {
    if (BarState* state = StateOf(m_hWnd, SB_CTL)) {
        state->notify = target;
    }
}

HWND CScrollBar::GetNotifyWnd() const {
    BarState* state = StateOf(m_hWnd, SB_CTL);
    return state == nullptr ? nullptr : state->notify;
}

namespace {

// Sends one scroll notification of `bar` to its notify window or its parent.
void Notify(HWND bar, bool vertical, UINT code, int pos) {
    BarState* state = StateOf(bar, SB_CTL);
    if (state == nullptr) {
        return;
    }
    HWND target = IsWindow(state->notify) ? state->notify : GetParent(bar);
    // The whole 32-bit position goes above the code (WPARAM is 64 bits wide), not its low word.
    WPARAM wParam = code;
    if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK) {
        wParam |= static_cast<WPARAM>(static_cast<UINT>(pos)) << 16;
    }
    SendMessage(target, vertical ? WM_VSCROLL : WM_HSCROLL, wParam, reinterpret_cast<LPARAM>(bar));
}

UINT CodeOfAction(int action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        return SB_LINEDOWN;
    case QAbstractSlider::SliderSingleStepSub:
        return SB_LINEUP;
    case QAbstractSlider::SliderPageStepAdd:
        return SB_PAGEDOWN;
    case QAbstractSlider::SliderPageStepSub:
        return SB_PAGEUP;
    case QAbstractSlider::SliderToMinimum:
        return SB_TOP;
    case QAbstractSlider::SliderToMaximum:
        return SB_BOTTOM;
    default:
        return SB_ENDSCROLL; // a thumb move, told by sliderMoved
    }
}

} // namespace

QWidget* CScrollBar::CreateNativeWidget(QWidget* parentWidget) {
    auto* widget = new QScrollBar(m_vertical ? Qt::Vertical : Qt::Horizontal, parentWidget);
    widget->setRange(0, 100);
    // The widget may outlive this object (Qt deletes it later), so the handlers know the bar
    // by its handle only; a stale handle makes them do nothing.
    HWND bar = m_hWnd;
    bool vertical = m_vertical;
    // A Windows scroll bar does not move by itself: a click only tells the owner, whose
    // SetScrollPos moves the thumb. The slider is put back before Qt moves it.
    QObject::connect(widget, &QAbstractSlider::actionTriggered, widget,
                     [bar, vertical, widget](int action) {
                         UINT code = CodeOfAction(action);
                         if (code == SB_ENDSCROLL) {
                             return;
                         }
                         widget->setSliderPosition(::GetScrollPos(bar, SB_CTL));
                         Notify(bar, vertical, code, 0);
                         Notify(bar, vertical, SB_ENDSCROLL, 0);
                     });
    QObject::connect(widget, &QAbstractSlider::sliderMoved, widget, [bar, vertical](int value) {
        if (BarState* state = StateOf(bar, SB_CTL)) {
            state->tracking = true;
            state->trackPos = value;
        }
        Notify(bar, vertical, SB_THUMBTRACK, value);
    });
    QObject::connect(widget, &QAbstractSlider::sliderReleased, widget, [bar, vertical] {
        BarState* state = StateOf(bar, SB_CTL);
        if (state == nullptr) {
            return;
        }
        int value = state->tracking ? state->trackPos : state->pos;
        Notify(bar, vertical, SB_THUMBPOSITION, value);
        if ((state = StateOf(bar, SB_CTL)) != nullptr) {
            state->tracking = false;
        }
        Notify(bar, vertical, SB_ENDSCROLL, 0);
        if ((state = StateOf(bar, SB_CTL)) != nullptr) {
            Show(bar, *state); // the thumb goes where the owner put the position
        }
    });
    return widget;
}

namespace platform {

BOOL ScrollBarUserAction(HWND bar, UINT code, int thumbPos) {
    QScrollBar* widget = WidgetOfBar(bar);
    if (widget == nullptr || !widget->isEnabled()) {
        return FALSE;
    }
    static const QAbstractSlider::SliderAction actions[] = {
        QAbstractSlider::SliderSingleStepSub, QAbstractSlider::SliderSingleStepAdd,
        QAbstractSlider::SliderPageStepSub,   QAbstractSlider::SliderPageStepAdd,
        QAbstractSlider::SliderNoAction,      QAbstractSlider::SliderNoAction,
        QAbstractSlider::SliderToMinimum,     QAbstractSlider::SliderToMaximum};
    if (code >= std::size(actions)) {
        return FALSE;
    }
    if (code != SB_THUMBTRACK && code != SB_THUMBPOSITION) {
        widget->triggerAction(actions[code]);
        return TRUE;
    }
    widget->setSliderDown(true);
    widget->setSliderPosition(thumbPos);
    if (code == SB_THUMBPOSITION) {
        widget->setSliderDown(false);
    }
    return TRUE;
}

} // namespace platform

CScrollBar* CWnd::GetScrollBarCtrl(int) const {
    return nullptr;
}

BOOL CWnd::SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL bRedraw) {
    if (CScrollBar* control = GetScrollBarCtrl(nBar)) {
        return control->SetScrollInfo(lpScrollInfo, bRedraw);
    }
    if (StateOf(m_hWnd, nBar) == nullptr || lpScrollInfo == nullptr) {
        return FALSE;
    }
    ::SetScrollInfo(m_hWnd, nBar, lpScrollInfo, bRedraw);
    return TRUE;
}

BOOL CWnd::GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask) {
    if (CScrollBar* control = GetScrollBarCtrl(nBar)) {
        return control->GetScrollInfo(lpScrollInfo, nMask);
    }
    if (lpScrollInfo == nullptr) {
        return FALSE;
    }
    lpScrollInfo->fMask = nMask;
    return ::GetScrollInfo(m_hWnd, nBar, lpScrollInfo);
}

int CWnd::GetScrollPos(int nBar) const {
    if (CScrollBar* control = GetScrollBarCtrl(nBar)) {
        return control->GetScrollPos();
    }
    return ::GetScrollPos(m_hWnd, nBar);
}

int CWnd::SetScrollPos(int nBar, int nPos, BOOL bRedraw) {
    if (CScrollBar* control = GetScrollBarCtrl(nBar)) {
        return control->SetScrollPos(nPos, bRedraw);
    }
    return ::SetScrollPos(m_hWnd, nBar, nPos, bRedraw);
}

void CWnd::ShowScrollBar(UINT nBar, BOOL bShow) {
    if (CScrollBar* control = GetScrollBarCtrl(static_cast<int>(nBar))) {
        control->ShowScrollBar(bShow);
    }
}

BOOL CWnd::EnableScrollBar(int nSBFlags, UINT nArrowFlags) {
    if (CScrollBar* control = GetScrollBarCtrl(nSBFlags)) {
        return control->EnableScrollBar(nArrowFlags);
    }
    return ::EnableScrollBar(m_hWnd, static_cast<UINT>(nSBFlags), nArrowFlags);
}
