// Address texts as the view and the conversation window turn them into instance
// numbers: whatever the cell holds, AddressToOid gives ".N" per blank-separated piece and
// ConvertAddress "N.N..." cut to 255 characters, each N a byte.
#include "common/number_text.h"
#include "conversation/matrix_window.h"
#include "view/matrix_view.h"

#include <cstdlib>
#include <string>

namespace {

// Numbers separated by dots, each 0..255; `leadingDot` when the text starts with one.
size_t CheckNumbers(const std::string& text, bool leadingDot) {
    size_t numbers = 0;
    size_t at = leadingDot ? 0 : std::string::npos;
    if (leadingDot && (text.empty() || text[0] != '.')) {
        abort();
    }
    for (size_t start = leadingDot ? 1 : 0; start <= text.size(); start = at + 1) {
        at = std::min(text.find('.', start), text.size());
        const std::string piece = text.substr(start, at - start);
        const bool cutLast = !leadingDot && at == text.size();
        int byte = 0;
        if ((piece.empty() && !cutLast) || piece.size() > 3 ||
            piece.find_first_not_of("0123456789") != std::string::npos ||
            (!piece.empty() && ParseWholeInteger(piece, byte, 0, 255) != NumberError::kNone)) {
            abort();
        }
        ++numbers;
    }
    return numbers;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string oid = text;
    CMatrixView::AddressToOid(oid);
    const size_t pieces = size_t(std::count(text.begin(), text.end(), ' ')) + 1;
    if (CheckNumbers(oid, true) != pieces) {
        abort();
    }
    std::string converted = text;
    CMatrixWindow::ConvertAddress(converted);
    if (converted.size() > 255) {
        abort();
    }
    CheckNumbers(converted, false);
    return 0;
}
