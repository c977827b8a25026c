#include "platform/core/text_reply.h"

#include <algorithm>
#include <string.h>

LRESULT CopyTextReply(const std::string& text, WPARAM size, LPARAM buffer) {
    char* out = reinterpret_cast<char*>(buffer);
    if (out != nullptr && size > 0) {
        const size_t copied = std::min(text.size(), static_cast<size_t>(size) - 1);
        memcpy(out, text.data(), copied);
        out[copied] = '\0';
    }
    return static_cast<LRESULT>(text.size());
}

std::string ReadTextReply(HWND window, UINT message) {
    const LRESULT length = SendMessage(window, message, 0, 0);
    if (length <= 0) {
        return "";
    }
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied =
        SendMessage(window, message, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
    return text;
}
