// Internal seams between the window, message, painting, input and timer services of the
// platform core (Qt types). Not for use outside these files.
#pragma once

#include "common/handle_table.h"
#include "platform/core/window_private.h"

#include <QSize>

namespace platform {

HandleTable<WindowRecord*>& WindowTable();
BOOL CreateWindowFor(WindowObject* wnd, CREATESTRUCT& cs);
void ReleaseRecord(WindowRecord* record);

// A scope in which messages are being dispatched. Windows destroyed inside it are released
// (PostNcDestroy, widget, handle slot) when the outermost scope ends.
class DispatchScope {
  public:
    DispatchScope();
    ~DispatchScope();
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;
};

// Sends a message to a live window's procedure inside a dispatch scope.
LRESULT Dispatch(WindowRecord* record, UINT message, WPARAM wParam, LPARAM lParam);
// The message being dispatched at the moment (NULL outside any), for CWnd::Default.
const MSG* CurrentMessage();
// Queues a record released when the outermost dispatch scope ends.
void DeferRelease(WindowRecord* record);
// A deleted window object must not get its PostNcDestroy call.
void ForgetWindowObject(WindowObject* wnd);

// Makes the event loop deliver pending posted messages and paints soon.
void SchedulePump();
int DeliverPostedMessages();
bool HasPostedMessages();
// Posted messages and paints delivered so far, for PumpMessages.
int DeliveredCount();
void CountDelivered(int count);

// Painting.
QSize ClientSize(const WindowRecord* record);
bool IsShown(const WindowRecord* record); // WS_VISIBLE on the window and its ancestors
void InvalidateWhole(WindowRecord* record, bool erase);
void ResizeBackingImage(WindowRecord* record);
// Puts a window's widget at its rectangle. A top-level window's position is where its frame
// goes, caption included, as on Windows; its size is the client's.
void PlaceWidget(QWidget* widget, const RECT& rect, bool moved);
void ReleaseBackingImage(WindowRecord* record);
// The size of the window's image, or of the image it gave back while covered.
QSize BackingImageSize(const WindowRecord* record);
// Makes the image of a window whose image was released, before it paints.
void EnsureBackingImage(WindowRecord* record);
int DeliverPaints();
bool HasPendingPaints();
// Sends WM_PAINT now if the window is shown and invalid; answers whether it did.
bool PaintIfInvalid(HWND hWnd);

// Input: Qt's focus follows the focus window when Qt gives it to a container of it.
void FollowQtFocus();
// Input: forget focus and capture held by a window about to be destroyed.
void ForgetInputWindow(HWND hWnd);
// The last mouse message went to this window (the cursor follows it).
void NoteMouseWindow(HWND hWnd, POINT screenPoint);
void NoteKeyState(int virtKey, bool down);
void ApplyCursorTo(QWidget* widget);

// Timers.
void KillWindowTimers(HWND hWnd);

// Geometry.
POINT ClientOrigin(const WindowRecord* record); // client (0, 0) in screen coordinates
UINT SizeType(const WindowRecord* record);

} // namespace platform
