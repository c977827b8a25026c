#include "conversation/window_report_text.h"

#include <string.h>

LRESULT CopyReportText(const std::string& report, WPARAM size, LPARAM buffer) {
    char* out = reinterpret_cast<char*>(buffer);
    if (out != nullptr && size > 0) {
        const size_t copied = report.size() < size ? report.size() : size - 1;
        memcpy(out, report.data(), copied);
        out[copied] = '\0';
    }
    return static_cast<LRESULT>(report.size());
}
