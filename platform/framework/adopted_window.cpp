#include "platform/framework/adopted_window.h"

#include "platform/framework/wnd.h"

#include <QPointer>
#include <QWidget>

namespace platform {
namespace {

// The window object of an adopted widget: it hands the widget to the platform as its
// native widget and deletes itself after the last message, as frames do.
class AdoptedWnd : public CWnd {
  public:
    AdoptedWnd(QWidget* widget, std::function<void()> onDestroy)
        : m_widget(widget), m_onDestroy(std::move(onDestroy)) {}

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_DESTROY && m_onDestroy) {
            std::exchange(m_onDestroy, nullptr)();
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }

  protected:
    QWidget* CreateNativeWidget(QWidget* parentWidget) override {
        if (m_widget) {
            m_widget->setParent(parentWidget);
        }
        return m_widget;
    }
    void PostNcDestroy() override { delete this; }

  private:
    QPointer<QWidget> m_widget;
    std::function<void()> m_onDestroy;
};

} // namespace

HWND AdoptWidget(QWidget* widget, HWND parent, UINT id, DWORD style,
                 std::function<void()> onDestroy) {
    CWnd* parentWnd = CWnd::FromHandle(parent);
    if (!widget || !parentWnd) {
        delete widget;
        return nullptr;
    }
    auto* wnd = new AdoptedWnd(widget, std::move(onDestroy));
    // With a live parent a refused creation ends in PostNcDestroy, which deletes the
    // object; the widget, once given to the platform, goes with the window.
    if (!wnd->Create(nullptr, "", style | WS_CHILD, RECT{0, 0, 0, 0}, parentWnd, id)) {
        return nullptr;
    }
    return wnd->m_hWnd;
}

} // namespace platform
