// Answers WM_GETREPORT with a report text, by WM_GETTEXT's rules: the whole length is the
// result; at most size - 1 bytes and a NUL are copied into buffer when there is one.
#pragma once

#include "platform/win32.h"

#include <string>

LRESULT CopyReportText(const std::string& report, WPARAM size, LPARAM buffer);
