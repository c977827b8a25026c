// Bounded string helpers of the Win32 API.
#include "platform/core/win32_user.h"

#include <cstring>
#include <strings.h>

LPSTR lstrcpyn(LPSTR dst, LPCSTR src, int maxLength) {
    if (dst == nullptr || src == nullptr || maxLength < 1) {
        return nullptr;
    }
    size_t length = strnlen(src, size_t(maxLength - 1));
    memmove(dst, src, length);
    dst[length] = '\0';
    return dst;
}

int lstrlen(LPCSTR text) {
    return text == nullptr ? 0 : int(strlen(text));
}

// A null string sorts before every other string, as Windows does.
int lstrcmp(LPCSTR text1, LPCSTR text2) {
    if (text1 == nullptr || text2 == nullptr) {
        return (text1 != nullptr) - (text2 != nullptr);
    }
    int result = strcmp(text1, text2);
    return (result > 0) - (result < 0);
}

int lstrcmpi(LPCSTR text1, LPCSTR text2) {
    if (text1 == nullptr || text2 == nullptr) {
        return (text1 != nullptr) - (text2 != nullptr);
    }
    int result = strcasecmp(text1, text2);
    return (result > 0) - (result < 0);
}
