#include "tests/support/message_log.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace {

std::vector<LoggedMessage> g_messages;
std::vector<UINT> g_ignored;

struct Name {
    UINT message;
    const char* name;
};

const Name kNames[] = {
    {WM_CREATE, "WM_CREATE"},
    {WM_DESTROY, "WM_DESTROY"},
    {WM_MOVE, "WM_MOVE"},
    {WM_SIZE, "WM_SIZE"},
    {WM_SETFOCUS, "WM_SETFOCUS"},
    {WM_KILLFOCUS, "WM_KILLFOCUS"},
    {WM_ENABLE, "WM_ENABLE"},
    {WM_SETTEXT, "WM_SETTEXT"},
    {WM_GETTEXT, "WM_GETTEXT"},
    {WM_GETTEXTLENGTH, "WM_GETTEXTLENGTH"},
    {WM_PAINT, "WM_PAINT"},
    {WM_CLOSE, "WM_CLOSE"},
    {WM_ERASEBKGND, "WM_ERASEBKGND"},
    {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
    {WM_SETCURSOR, "WM_SETCURSOR"},
    {WM_SETFONT, "WM_SETFONT"},
    {WM_GETFONT, "WM_GETFONT"},
    {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
    {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"},
    {WM_NOTIFY, "WM_NOTIFY"},
    {WM_CONTEXTMENU, "WM_CONTEXTMENU"},
    {WM_NCCREATE, "WM_NCCREATE"},
    {WM_NCDESTROY, "WM_NCDESTROY"},
    {WM_GETDLGCODE, "WM_GETDLGCODE"},
    {WM_KEYDOWN, "WM_KEYDOWN"},
    {WM_KEYUP, "WM_KEYUP"},
    {WM_CHAR, "WM_CHAR"},
    {WM_COMMAND, "WM_COMMAND"},
    {WM_TIMER, "WM_TIMER"},
    {WM_HSCROLL, "WM_HSCROLL"},
    {WM_VSCROLL, "WM_VSCROLL"},
    {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
    {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
    {WM_LBUTTONUP, "WM_LBUTTONUP"},
    {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
    {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"},
    {WM_RBUTTONUP, "WM_RBUTTONUP"},
    {WM_RBUTTONDBLCLK, "WM_RBUTTONDBLCLK"},
    {WM_MBUTTONDOWN, "WM_MBUTTONDOWN"},
    {WM_MBUTTONUP, "WM_MBUTTONUP"},
    {WM_MOUSEWHEEL, "WM_MOUSEWHEEL"},
    {WM_PARENTNOTIFY, "WM_PARENTNOTIFY"},
    {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"},
    {WM_MDIACTIVATE, "WM_MDIACTIVATE"},
    {WM_MDIDESTROY, "WM_MDIDESTROY"},
    {WM_MDIMAXIMIZE, "WM_MDIMAXIMIZE"},
};

std::string Describe(UINT message, WPARAM wParam, LPARAM lParam) {
    char buffer[96];
    snprintf(buffer, sizeof buffer, "%s(%#llx, %#llx)", MessageName(message).c_str(),
             (unsigned long long)wParam, (unsigned long long)lParam);
    return buffer;
}

bool ParamsMatch(const ExpectedMessage& expected, const LoggedMessage& actual) {
    if ((expected.flags & kWParam) && expected.wParam != actual.wParam) {
        return false;
    }
    return !(expected.flags & kLParam) || expected.lParam == actual.lParam;
}

std::string Listing(const std::vector<LoggedMessage>& actual) {
    std::ostringstream out;
    for (const LoggedMessage& message : actual) {
        out << "  " << Describe(message.message, message.wParam, message.lParam) << "\n";
    }
    return out.str();
}

} // namespace

std::string MessageName(UINT message) {
    for (const Name& name : kNames) {
        if (name.message == message) {
            return name.name;
        }
    }
    char buffer[16];
    snprintf(buffer, sizeof buffer, "0x%04x", message);
    return buffer;
}

void MessageLog::Clear() {
    g_messages.clear();
}

void MessageLog::Add(const LoggedMessage& message) {
    if (std::find(g_ignored.begin(), g_ignored.end(), message.message) == g_ignored.end()) {
        g_messages.push_back(message);
    }
}

const std::vector<LoggedMessage>& MessageLog::Messages() {
    return g_messages;
}

std::vector<LoggedMessage> MessageLog::MessagesOf(HWND hWnd) {
    std::vector<LoggedMessage> result;
    for (const LoggedMessage& message : g_messages) {
        if (hWnd == nullptr || message.hwnd == hWnd) {
            result.push_back(message);
        }
    }
    return result;
}

void MessageLog::Ignore(std::vector<UINT> messages) {
    g_ignored = std::move(messages);
}

// Walks both lists: a matching message advances both; a missing optional entry is skipped;
// anything else is a failure that lists what arrived.
::testing::AssertionResult MessageLog::Matches(HWND hWnd,
                                               const std::vector<ExpectedMessage>& expected) {
    std::vector<LoggedMessage> actual = MessagesOf(hWnd);
    Clear();
    size_t e = 0;
    size_t a = 0;
    while (e < expected.size() || a < actual.size()) {
        if (e < expected.size() && a < actual.size() && expected[e].message == actual[a].message) {
            if (!ParamsMatch(expected[e], actual[a])) {
                return ::testing::AssertionFailure()
                       << "message " << a << ": expected "
                       << Describe(expected[e].message, expected[e].wParam, expected[e].lParam)
                       << ", got "
                       << Describe(actual[a].message, actual[a].wParam, actual[a].lParam)
                       << "\nreceived:\n"
                       << Listing(actual);
            }
            ++e;
            ++a;
            continue;
        }
        if (e < expected.size() && (expected[e].flags & kOptional)) {
            ++e;
            continue;
        }
        std::string wanted = e < expected.size() ? MessageName(expected[e].message) : "nothing";
        std::string got = a < actual.size() ? MessageName(actual[a].message) : "nothing";
        return ::testing::AssertionFailure()
               << "message " << a << ": expected " << wanted << ", got " << got << "\nreceived:\n"
               << Listing(actual);
    }
    return ::testing::AssertionSuccess();
}
