// Messages: dispatch with deferred release, SendMessage, the posted-message queue driven by
// the Qt event loop, and the application object.
#include "platform/core/window_internal.h"

#include "common/trace.h"
#include "platform/core/win32_user.h"
#include "platform/gdi/gdi_private.h"
#include "platform/toolkit/platform_app.h"

#include <QApplication>
#include <QEvent>
#include <QPixmap>

#include <cinttypes>
#include <cstdio>
#include <deque>
#include <vector>

namespace platform {

namespace {

int g_depth = 0;
const MSG* g_current = nullptr;
std::vector<WindowRecord*> g_released;
std::deque<MSG> g_posted;
bool g_pumpScheduled = false;
int g_delivered = 0;

const QEvent::Type kPumpEvent = QEvent::Type(QEvent::User + 0x5A1);

// "window 12 message 0x0201 wParam 0x1 lParam 0x140028"
void TraceMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    char text[112];
    std::snprintf(text, sizeof text,
                  "window %" PRIuPTR " message 0x%04x wParam 0x%" PRIxPTR " lParam 0x%" PRIxPTR,
                  reinterpret_cast<uintptr_t>(hwnd), message, static_cast<uintptr_t>(wParam),
                  static_cast<uintptr_t>(lParam));
    TraceLine(TraceChannel::kMsg, text);
}

void ReleasePending() {
    static bool releasing = false;
    if (releasing) {
        return;
    }
    releasing = true;
    while (!g_released.empty()) {
        std::vector<WindowRecord*> batch;
        batch.swap(g_released);
        for (WindowRecord* record : batch) {
            ReleaseRecord(record);
        }
    }
    releasing = false;
}

// Delivers posted messages and paints when the event loop reaches its event.
class MessagePump : public QObject {
  protected:
    void customEvent(QEvent* event) override {
        if (event->type() != kPumpEvent) {
            return;
        }
        g_pumpScheduled = false;
        DeliverPostedMessages();
        DeliverPaints();
    }
};

MessagePump* Pump() {
    static MessagePump* pump = new MessagePump;
    return pump;
}

} // namespace

DispatchScope::DispatchScope() {
    ++g_depth;
}

DispatchScope::~DispatchScope() {
    if (--g_depth == 0) {
        ReleasePending();
    }
}

void DeferRelease(WindowRecord* record) {
    g_released.push_back(record);
}

void ForgetWindowObject(WindowObject* wnd) {
    if (ApplicationEnded()) {
        return;
    }
    for (WindowRecord* record : g_released) {
        if (record->wnd == wnd) {
            record->wnd = nullptr;
        }
    }
    WindowTable().ForEach([wnd](uintptr_t, WindowRecord* record) {
        if (record->wnd == wnd) {
            record->wnd = nullptr;
        }
    });
}

// The record is not touched after the procedure returns: the procedure may have destroyed
// the window, whose record then lives on only until the outermost scope ends.
LRESULT Dispatch(WindowRecord* record, UINT message, WPARAM wParam, LPARAM lParam) {
    if (TraceOn(TraceChannel::kMsg)) {
        TraceMessage(record->hwnd, message, wParam, lParam);
    }
    DispatchScope scope;
    MSG current = {record->hwnd, message, wParam, lParam, 0, {0, 0}};
    const MSG* saved = g_current;
    g_current = &current;
    WindowObject* wnd = record->wnd;
    LRESULT result = wnd != nullptr ? wnd->WindowProc(message, wParam, lParam)
                                    : DefWindowProc(record->hwnd, message, wParam, lParam);
    g_current = saved;
    return result;
}

const MSG* CurrentMessage() {
    return g_current;
}

void SchedulePump() {
    if (g_pumpScheduled || QCoreApplication::instance() == nullptr) {
        return;
    }
    g_pumpScheduled = true;
    QCoreApplication::postEvent(Pump(), new QEvent(kPumpEvent), Qt::LowEventPriority);
}

// Delivers the messages queued before the call; those posted meanwhile wait for the next
// round, so a window that posts to itself cannot starve the event loop. Messages for a
// window destroyed since they were posted are dropped, as Windows drops them.
int DeliverPostedMessages() {
    size_t count = g_posted.size();
    int delivered = 0;
    for (size_t i = 0; i < count && !g_posted.empty(); ++i) {
        MSG msg = g_posted.front();
        g_posted.pop_front();
        WindowRecord* record = LookupWindow(msg.hwnd);
        if (record == nullptr) {
            continue;
        }
        Dispatch(record, msg.message, msg.wParam, msg.lParam);
        ++delivered;
    }
    g_delivered += delivered;
    if (!g_posted.empty()) {
        SchedulePump();
    }
    return delivered;
}

int DeliveredCount() {
    return g_delivered;
}
void CountDelivered(int count) {
    g_delivered += count;
}
bool HasPostedMessages() {
    return !g_posted.empty();
}

} // namespace platform

using namespace platform;

LRESULT SendMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr) {
        return 0;
    }
    return Dispatch(record, msg, wParam, lParam);
}

// A NULL window would make a thread message, which nothing here reads: refused.
BOOL PostMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (LookupWindow(hWnd) == nullptr) {
        return FALSE;
    }
    g_posted.push_back(MSG{hWnd, msg, wParam, lParam, GetTickCount(), {0, 0}});
    SchedulePump();
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    PlatformApp::Quit(exitCode);
}

void PlatformApp::Init(int argc, char** argv) {
    if (QApplication::instance() != nullptr) {
        return;
    }
    if (argc <= 0 || argv == nullptr) {
        EnsureApplication();
        return;
    }
    static int keptArgc = argc;
    CreateApplication(keptArgc, argv);
}

int PlatformApp::Run() {
    EnsureApplication();
    return QApplication::exec();
}

void PlatformApp::Quit(int exitCode) {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::exit(exitCode);
    }
}

BOOL PlatformApp::SaveWindowImage(HWND hWnd, const char* path) {
    QWidget* widget = platform::WindowWidget(hWnd);
    if (widget == nullptr || path == nullptr) {
        return FALSE;
    }
    return widget->grab().save(QString::fromUtf8(path), "PNG") ? TRUE : FALSE;
}

size_t PlatformApp::LiveWindowCount() {
    return platform::WindowTable().Count();
}

size_t PlatformApp::LiveGdiObjectCount() {
    return GdiLiveObjectCount();
}

int PlatformApp::PumpMessages(int maxRounds) {
    EnsureApplication();
    int before = DeliveredCount();
    for (int round = 0; round < maxRounds; ++round) {
        int roundStart = DeliveredCount();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        DeliverPostedMessages();
        DeliverPaints();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (DeliveredCount() == roundStart && !HasPostedMessages() && !HasPendingPaints()) {
            break;
        }
    }
    return DeliveredCount() - before;
}
