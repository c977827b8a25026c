#include "tests/conversation/conversation_fixture.h"

#include "common/number_text.h"
#include "hostapi/window_report.h"
#include "platform/framework/resource.h"
#include "platform/toolkit/platform_app.h"
#include "platform/toolkit/scripted_ui.h"
#include "tests/support/input_simulator.h"

#include <fstream>
#include <sstream>

// The module's resource table, linked in from res/.
extern "C" const RESOURCETABLE ModuleResourceTable;

namespace {

Qt::KeyboardModifiers Modifiers(bool ctrl) {
    return ctrl ? Qt::ControlModifier : Qt::NoModifier;
}

} // namespace

void SetUpConversationSuite() {
    PlatformApp::Init();
    platform::SetScriptedUi(TRUE);
    TimerClock::UseManualClock(true);
    platform::RegisterModuleResources(GetModuleHandle(nullptr), &ModuleResourceTable);
}

ksdb::MemoryTransport* ServeMatrix(const std::vector<MatrixRow>& rows) {
    ksdb::ResetDatabase();
    const std::string nodes = std::string(TESSARAN_TEST_BINARY_DIR) + "/conversation_nodes";
    std::ofstream(nodes) << "1 10.0.0.1 2c public 1000 1 probe-one\n";
    EXPECT_TRUE(ksdb::LoadNodes(nodes));
    auto agent = std::make_shared<ksdb::MemoryAgent>();
    for (const MatrixRow& row : rows) {
        agent->AddConversation(row.index, row.source, row.destination, 1, 100, 0);
    }
    auto transport = std::make_unique<ksdb::MemoryTransport>();
    transport->SetDefaultAgent(agent);
    ksdb::MemoryTransport* served = transport.get();
    ksdb::SetTransport(std::move(transport));
    return served;
}

namespace {

// Every line of a window's report, cut at its tabs.
std::vector<std::vector<std::string>> ReportLines(CWnd& window) {
    char text[16384] = "";
    window.SendMessage(WM_GETREPORT, sizeof text, reinterpret_cast<LPARAM>(text));
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::istringstream cut(line);
        for (std::string field; std::getline(cut, field, '\t');) {
            fields.push_back(field);
        }
        lines.push_back(fields);
    }
    return lines;
}

} // namespace

std::vector<std::string> ReportFields(CWnd& window, const std::string& kind, size_t field) {
    std::vector<std::string> found;
    for (const std::vector<std::string>& fields : ReportLines(window)) {
        if (!fields.empty() && fields[0] == kind && field < fields.size()) {
            found.push_back(fields[field]);
        }
    }
    return found;
}

namespace {

// A whole number of the report; a test failure when the field is none.
int ReportNumber(const std::string& field) {
    int number = 0;
    EXPECT_EQ(ParseWholeInteger(field, number), NumberError::kNone) << field;
    return number;
}

} // namespace

ControlReport ReportOf(CWnd& control) {
    ControlReport report;
    for (const std::vector<std::string>& fields : ReportLines(control)) {
        if (fields.size() == 2 && fields[0] == "mode") {
            report.mode = ReportNumber(fields[1]);
        } else if (fields.size() == 7 && fields[0] == "node") {
            report.nodes.push_back({fields[1], ReportNumber(fields[2]), ReportNumber(fields[3]),
                                    ReportNumber(fields[4]), ReportNumber(fields[5]),
                                    fields[6] == "right" ? TA_RIGHT : TA_LEFT});
        } else if (fields.size() == 3 && fields[0] == "pair") {
            report.pairs.emplace_back(fields[1], fields[2]);
        } else {
            ADD_FAILURE() << "unexpected report line of " << fields.size() << " fields";
        }
    }
    return report;
}

CPoint NodeCenter(CWnd& control, int node) {
    const ReportedNode reported = ReportOf(control).nodes.at(node);
    return CPoint(reported.centerX, reported.centerY);
}

void Drag(CWnd& control, int from, int to, bool ctrl) {
    const CPoint start = NodeCenter(control, from);
    const CPoint end = NodeCenter(control, to);
    const HWND hWnd = control.GetSafeHwnd();
    input::Press(hWnd, start.x, start.y, Qt::LeftButton, Modifiers(ctrl));
    input::Move(hWnd, (start.x + end.x) / 2, (start.y + end.y) / 2, Qt::LeftButton,
                Modifiers(ctrl));
    input::Move(hWnd, end.x, end.y, Qt::LeftButton, Modifiers(ctrl));
    input::Release(hWnd, end.x, end.y, Qt::LeftButton, Modifiers(ctrl));
}

COLORREF PixelAt(CWnd& window, int x, int y) {
    CClientDC dc(&window);
    return dc.GetPixel(x, y);
}
