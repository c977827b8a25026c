#include "host/ksdbapi/oid_text.h"

#include <algorithm>
#include <charconv>

namespace ksdb {

bool ParseOid(std::string_view text, Oid& oid) {
    oid.clear();
    if (!text.empty() && text.front() == '.') {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return true;
    }
    const char* at = text.data();
    const char* end = at + text.size();
    for (;;) {
        uint32_t arc = 0;
        auto [next, error] = std::from_chars(at, end, arc);
        if (error != std::errc() || next == at) {
            return false;
        }
        oid.push_back(arc);
        if (next == end) {
            return true;
        }
        if (*next != '.') {
            return false;
        }
        at = next + 1;
    }
}

void AppendArcs(std::string& text, const Oid& oid, size_t first) {
    char digits[16];
    for (size_t i = first; i < oid.size(); ++i) {
        digits[0] = '.';
        auto result = std::to_chars(digits + 1, digits + sizeof digits, oid[i]);
        text.append(digits, result.ptr);
    }
}

std::string FormatOid(const Oid& oid) {
    std::string text;
    AppendArcs(text, oid, 0);
    return text.empty() ? text : text.substr(1);
}

bool HasPrefix(const Oid& oid, const Oid& prefix) {
    return prefix.size() <= oid.size() && std::equal(prefix.begin(), prefix.end(), oid.begin());
}

} // namespace ksdb
