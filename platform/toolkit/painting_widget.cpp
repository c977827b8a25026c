#include "platform/toolkit/painting_widget.h"

#include "platform/core/win32_user.h"
#include "platform/core/window_internal.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include <bitset>

namespace platform {

namespace {

struct KeyPair {
    int qtKey;
    UINT vk;
};

const KeyPair kKeys[] = {
    {Qt::Key_Backspace, VK_BACK},
    {Qt::Key_Tab, VK_TAB},
    {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Clear, VK_CLEAR},
    {Qt::Key_Return, VK_RETURN},
    {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL},
    {Qt::Key_Alt, VK_MENU},
    {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_CapsLock, VK_CAPITAL},
    {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},
    {Qt::Key_PageUp, VK_PRIOR},
    {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},
    {Qt::Key_Home, VK_HOME},
    {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},
    {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Select, VK_SELECT},
    {Qt::Key_Print, VK_SNAPSHOT},
    {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Help, VK_HELP},
    {Qt::Key_Meta, VK_LWIN},
    {Qt::Key_Menu, VK_APPS},
    {Qt::Key_NumLock, VK_NUMLOCK},
    {Qt::Key_ScrollLock, VK_SCROLL},
    {Qt::Key_Semicolon, VK_OEM_1},
    {Qt::Key_Colon, VK_OEM_1},
    {Qt::Key_Equal, VK_OEM_PLUS},
    {Qt::Key_Plus, VK_OEM_PLUS},
    {Qt::Key_Comma, VK_OEM_COMMA},
    {Qt::Key_Less, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS},
    {Qt::Key_Underscore, VK_OEM_MINUS},
    {Qt::Key_Period, VK_OEM_PERIOD},
    {Qt::Key_Greater, VK_OEM_PERIOD},
    {Qt::Key_Slash, VK_OEM_2},
    {Qt::Key_Question, VK_OEM_2},
    {Qt::Key_QuoteLeft, VK_OEM_3},
    {Qt::Key_AsciiTilde, VK_OEM_3},
    {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_BraceLeft, VK_OEM_4},
    {Qt::Key_Backslash, VK_OEM_5},
    {Qt::Key_Bar, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6},
    {Qt::Key_BraceRight, VK_OEM_6},
    {Qt::Key_Apostrophe, VK_OEM_7},
    {Qt::Key_QuoteDbl, VK_OEM_7},
};

// The keypad's operators and digits have keys of their own.
UINT KeypadKey(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        return VK_NUMPAD0 + UINT(qtKey - Qt::Key_0);
    }
    switch (qtKey) {
    case Qt::Key_Asterisk:
        return VK_MULTIPLY;
    case Qt::Key_Plus:
        return VK_ADD;
    case Qt::Key_Minus:
        return VK_SUBTRACT;
    case Qt::Key_Period:
        return VK_DECIMAL;
    case Qt::Key_Slash:
        return VK_DIVIDE;
    default:
        return 0;
    }
}

// The key-data of lParam: repeat count 1, previous state (bit 30), transition (bit 31).
LPARAM KeyData(bool wasDown, bool releasing) {
    DWORD data = 1;
    if (wasDown) {
        data |= 1u << 30;
    }
    if (releasing) {
        data |= 1u << 31;
    }
    return LPARAM(data);
}

UINT MouseMessage(QEvent::Type type, Qt::MouseButton button) {
    static const UINT messages[3][3] = {
        {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK},
        {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK},
        {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK},
    };
    int row = button == Qt::LeftButton ? 0 : button == Qt::RightButton ? 1 : 2;
    if (button != Qt::LeftButton && button != Qt::RightButton && button != Qt::MiddleButton) {
        return 0;
    }
    int column = type == QEvent::MouseButtonPress ? 0 : type == QEvent::MouseButtonRelease ? 1 : 2;
    return messages[row][column];
}

// Keys go to the focus window, as on Windows, or to this one when nothing has the focus.
HWND KeyTarget(HWND source) {
    HWND focus = GetFocus();
    return focus != nullptr ? focus : source;
}

struct ModifierKey {
    Qt::KeyboardModifier modifier;
    int vk;
    UINT keyUp;
};

const ModifierKey kModifierKeys[] = {
    {Qt::ShiftModifier, VK_SHIFT, WM_KEYUP},
    {Qt::ControlModifier, VK_CONTROL, WM_KEYUP},
    {Qt::AltModifier, VK_MENU, WM_SYSKEYUP},
};

void NoteModifiers(Qt::KeyboardModifiers modifiers) {
    for (const ModifierKey& key : kModifierKeys) {
        NoteKeyState(key.vk, modifiers & key.modifier);
    }
}

// The modifier keys whose key-down went to a window and whose key-up has not.
std::bitset<256>& ModifiersSentDown() {
    static std::bitset<256> down;
    return down;
}

// A modifier released while a menu or a dialog had the keyboard never sent its key-up to
// the window that got its key-down (Shift+F10, Escape, Down: the table still took Shift as
// held). Input that comes without the modifier sends the missing key-up first; `pressed`
// is the key of this input, which speaks for itself.
void ReleaseLostModifiers(HWND target, Qt::KeyboardModifiers modifiers, UINT pressed = 0) {
    for (const ModifierKey& key : kModifierKeys) {
        if (UINT(key.vk) != pressed && ModifiersSentDown()[size_t(key.vk)] &&
            !(modifiers & key.modifier)) {
            ModifiersSentDown()[size_t(key.vk)] = false;
            NoteKeyState(key.vk, false);
            SendMessage(target, key.keyUp, WPARAM(key.vk), KeyData(true, true));
        }
    }
    NoteModifiers(modifiers);
}

void NoteButtons(Qt::MouseButtons buttons) {
    NoteKeyState(VK_LBUTTON, buttons & Qt::LeftButton);
    NoteKeyState(VK_RBUTTON, buttons & Qt::RightButton);
    NoteKeyState(VK_MBUTTON, buttons & Qt::MiddleButton);
}

// Qt keeps sending a pressed button's moves and release to the widget it was pressed on,
// wherever the mouse goes. Windows sends them to the window under the mouse unless the
// pressed window captured it: outside its client area an uncapturing window hears nothing.
bool OutsideWithoutCapture(HWND source, QMouseEvent* event) {
    if (GetCapture() != nullptr) {
        return false;
    }
    RECT client{};
    GetClientRect(source, &client);
    const QPoint at = event->position().toPoint();
    const POINT point = {at.x(), at.y()};
    return !PtInRect(&client, point);
}

// Mouse messages go to the capture window when there is one, in its client coordinates.
void SendMouse(HWND source, QMouseEvent* event, UINT message) {
    if (message == 0 || OutsideWithoutCapture(source, event)) {
        return;
    }
    ReleaseLostModifiers(KeyTarget(source), event->modifiers());
    NoteButtons(event->buttons());
    POINT point = {event->position().toPoint().x(), event->position().toPoint().y()};
    ClientToScreen(source, &point);
    HWND capture = GetCapture();
    HWND target = capture != nullptr ? capture : source;
    NoteMouseWindow(target, point);
    if (capture == nullptr) {
        SendMessage(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                    MAKELPARAM(HTCLIENT, message));
    }
    ScreenToClient(target, &point);
    SendMessage(target, message, MouseKeyFlags(event->buttons(), event->modifiers()),
                MAKELPARAM(point.x, point.y));
}

// F10 is Windows' key of the menu bar: it comes as a system key, as keys with Alt do.
UINT KeyMessage(UINT vk, bool releasing) {
    if (vk == VK_F10) {
        return releasing ? WM_SYSKEYUP : WM_SYSKEYDOWN;
    }
    return releasing ? WM_KEYUP : WM_KEYDOWN;
}

} // namespace

UINT VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::KeypadModifier) {
        if (UINT vk = KeypadKey(qtKey)) {
            return vk;
        }
    }
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
        return UINT(qtKey); // Qt's codes for letters and digits are their ASCII codes
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        return VK_F1 + UINT(qtKey - Qt::Key_F1);
    }
    for (const KeyPair& pair : kKeys) {
        if (pair.qtKey == qtKey) {
            return pair.vk;
        }
    }
    return 0;
}

// Control with a letter types its control code (Ctrl+A is 1); the editing keys type their
// ASCII controls; any other key types its Latin-1 text.
UINT CharCodeFromQt(int qtKey, const QString& text, Qt::KeyboardModifiers modifiers) {
    if ((modifiers & Qt::ControlModifier) && qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
        return UINT(qtKey - Qt::Key_A + 1);
    }
    switch (qtKey) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    default:
        break;
    }
    if (text.isEmpty() || modifiers & Qt::ControlModifier) {
        return 0;
    }
    char16_t code = text.at(0).unicode();
    return code >= 0x20 && code < 0x100 && code != 0x7f ? UINT(code) : 0;
}

UINT MouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    UINT flags = 0;
    if (buttons & Qt::LeftButton) {
        flags |= MK_LBUTTON;
    }
    if (buttons & Qt::RightButton) {
        flags |= MK_RBUTTON;
    }
    if (buttons & Qt::MiddleButton) {
        flags |= MK_MBUTTON;
    }
    if (modifiers & Qt::ShiftModifier) {
        flags |= MK_SHIFT;
    }
    if (modifiers & Qt::ControlModifier) {
        flags |= MK_CONTROL;
    }
    return flags;
}

// Focus is the window manager's (SetFocus), not Qt's: the widget never takes focus by itself,
// so no WM_SETFOCUS arrives that the program did not ask for.
PaintingWidget::PaintingWidget(HWND hWnd, QWidget* parent) : QWidget(parent), m_hWnd(hWnd) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

FlushCounts& PaintingFlushCounts() {
    static FlushCounts counts;
    return counts;
}

// A pending WM_PAINT is delivered before the image is shown; only the rectangles of the
// event's region are copied, not their bounding rectangle.
void PaintingWidget::paintEvent(QPaintEvent* event) {
    PaintIfInvalid(m_hWnd);
    const QImage* image = WindowImage(m_hWnd);
    if (image == nullptr || image->isNull()) {
        return;
    }
    QPainter painter(this);
    FlushCounts& counts = PaintingFlushCounts();
    ++counts.paints;
    for (const QRect& rect : event->region()) {
        painter.drawImage(rect, *image, rect);
        counts.pixels += uint64_t(rect.width()) * uint64_t(rect.height());
    }
}

void PaintingWidget::mousePressEvent(QMouseEvent* event) {
    SendMouse(m_hWnd, event, MouseMessage(event->type(), event->button()));
}

void PaintingWidget::mouseReleaseEvent(QMouseEvent* event) {
    SendMouse(m_hWnd, event, MouseMessage(event->type(), event->button()));
}

// Qt reports press, release, double click, release; Windows the same with the second press
// as WM_xBUTTONDBLCLK.
void PaintingWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    SendMouse(m_hWnd, event, MouseMessage(event->type(), event->button()));
}

void PaintingWidget::mouseMoveEvent(QMouseEvent* event) {
    SendMouse(m_hWnd, event, WM_MOUSEMOVE);
}

// WHEEL_DELTA is 120 per notch, which is Qt's angle delta per notch (eighths of a degree).
void PaintingWidget::wheelEvent(QWheelEvent* event) {
    NoteModifiers(event->modifiers());
    QPoint angle = event->angleDelta();
    int delta = angle.y() != 0 ? angle.y() : angle.x();
    POINT point = {event->position().toPoint().x(), event->position().toPoint().y()};
    ClientToScreen(m_hWnd, &point);
    UINT flags = MouseKeyFlags(event->buttons(), event->modifiers());
    SendMessage(KeyTarget(m_hWnd), WM_MOUSEWHEEL, MAKEWPARAM(flags, WORD(short(delta))),
                MAKELPARAM(point.x, point.y));
}

void PaintingWidget::keyPressEvent(QKeyEvent* event) {
    HWND target = KeyTarget(m_hWnd);
    UINT vk = VirtualKeyFromQt(event->key(), event->modifiers());
    ReleaseLostModifiers(target, event->modifiers(), vk);
    if (vk != 0) {
        bool wasDown = event->isAutoRepeat() || GetKeyState(int(vk)) < 0;
        NoteKeyState(int(vk), true);
        ModifiersSentDown()[vk & 0xff] = true;
        SendMessage(target, KeyMessage(vk, false), vk, KeyData(wasDown, false));
    }
    UINT code = CharCodeFromQt(event->key(), event->text(), event->modifiers());
    if (code != 0 && IsWindow(target)) {
        SendMessage(target, WM_CHAR, code, KeyData(event->isAutoRepeat(), false));
    }
}

void PaintingWidget::keyReleaseEvent(QKeyEvent* event) {
    if (event->isAutoRepeat()) {
        return;
    }
    UINT vk = VirtualKeyFromQt(event->key(), event->modifiers());
    NoteModifiers(event->modifiers());
    if (vk == 0) {
        return;
    }
    NoteKeyState(int(vk), false);
    ModifiersSentDown()[vk & 0xff] = false;
    SendMessage(KeyTarget(m_hWnd), KeyMessage(vk, true), vk, KeyData(true, true));
}

// Tab is a key like any other for a window: it gets WM_KEYDOWN/WM_CHAR, not Qt's focus chain.
bool PaintingWidget::focusNextPrevChild(bool) {
    return false;
}

// The record keeps the one painting widget made for its window, so no type is checked.
PaintingWidget* PaintingWidgetOf(const WindowRecord* record) {
    return static_cast<PaintingWidget*>(record->painting.data());
}

QWidget* CreatePaintingWidget(HWND hWnd, QWidget* parentWidget) {
    auto* widget = new PaintingWidget(hWnd, parentWidget);
    if (WindowRecord* record = LookupWindow(hWnd)) {
        record->painting = widget;
    }
    return widget;
}

} // namespace platform
