// Regression: a program that keeps a window (with a child, a timer and a font) in a static
// ended with a segmentation fault, because the static was destroyed after Qt's own statics
// and DestroyWindow reached QWidget::hide. Window calls after exit are refused; the test is
// that this program exits 0.
#include "platform/framework/afx.h"
#include "platform/toolkit/platform_app.h"

#include <memory>

namespace {

struct Held {
    CWnd parent;
    CWnd child;
    CFont font;
    ~Held() {
        // By now the program is ending: the calls are refused instead of reaching Qt.
        child.DestroyWindow();
        parent.DestroyWindow();
    }
};

std::unique_ptr<Held> g_held;

} // namespace

int main() {
    g_held = std::make_unique<Held>();
    PlatformApp::Init();
    if (!g_held->parent.CreateEx(0, "ExitParent", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, NULL,
                                 NULL) ||
        !g_held->child.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 50),
                              &g_held->parent, 1)) {
        return 1;
    }
    g_held->font.CreateStockObject(DEFAULT_GUI_FONT);
    g_held->child.SetFont(&g_held->font, TRUE);
    g_held->parent.SetTimer(1, 10, nullptr);
    PlatformApp::PumpMessages();
    return IsWindow(g_held->child.m_hWnd) ? 0 : 1;
}
