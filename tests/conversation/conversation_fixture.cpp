#include "tests/conversation/conversation_fixture.h"

#include "platform/framework/resource.h"
#include "platform/toolkit/platform_app.h"
#include "platform/toolkit/scripted_ui.h"
#include "tests/support/input_simulator.h"

#include <fstream>

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

CPoint NodeCenter(const CConversationCtrl& control, int node) {
    return CPoint(control.m_nodes[node]->m_centerX, control.m_nodes[node]->m_centerY);
}

void Drag(const CConversationCtrl& control, int from, int to, bool ctrl) {
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
