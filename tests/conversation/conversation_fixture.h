// Test set-up shared by the conversation tests: the platform under the manual clock with
// scripted menus and message boxes, the module's resources, a host database serving an
// in-memory matrix table, and helpers that drag with real Qt input.
#pragma once

#include "conversation/conversation_ctrl.h"
#include "host/ksdbapi/ksdb_host.h"
#include "platform/framework/afx.h"
#include "tests/support/memory_transport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

struct MatrixRow {
    int index;
    std::string source; // six address bytes
    std::string destination;
};

// Platform, resources and clock, once per test program.
void SetUpConversationSuite();
// Node 1 "probe-one" serving rows; answers the transport to count requests.
ksdb::MemoryTransport* ServeMatrix(const std::vector<MatrixRow>& rows);

// What the control reports (WM_GETREPORT), as the console reads it.
struct ReportedNode {
    std::string name;
    int centerX, centerY, labelX, labelY;
    int align; // TA_LEFT or TA_RIGHT
};
struct ControlReport {
    int mode = -1;
    std::vector<ReportedNode> nodes;
    std::vector<std::pair<std::string, std::string>> pairs;
};
ControlReport ReportOf(CWnd& control);
// Field number field (0 is the kind) of every line of that kind in a window's report.
std::vector<std::string> ReportFields(CWnd& window, const std::string& kind, size_t field);

CPoint NodeCenter(CWnd& control, int node);
// Button down on from's centre, moves half way and onto to, button up there; with Ctrl
// held throughout when ctrl is set.
void Drag(CWnd& control, int from, int to, bool ctrl = false);
// The colour of a pixel of a window's image as painted so far.
COLORREF PixelAt(CWnd& window, int x, int y);
