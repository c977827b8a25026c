// Helpers shared by the framework's window tests.
#pragma once

#include "tests/support/message_log.h"

#include <utility>
#include <vector>

namespace framework_test {

// A handle or object pointer as a message parameter.
template <typename T> WPARAM W(T* handle) {
    return reinterpret_cast<WPARAM>(handle);
}
template <typename T> LPARAM L(T* handle) {
    return reinterpret_cast<LPARAM>(handle);
}

// The parameters of every `message` that hWnd received, in order.
inline std::vector<std::pair<WPARAM, LPARAM>> Received(HWND hWnd, UINT message) {
    std::vector<std::pair<WPARAM, LPARAM>> found;
    for (const LoggedMessage& logged : MessageLog::MessagesOf(hWnd)) {
        if (logged.message == message) {
            found.emplace_back(logged.wParam, logged.lParam);
        }
    }
    return found;
}

using Params = std::vector<std::pair<WPARAM, LPARAM>>;

} // namespace framework_test
