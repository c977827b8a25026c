#include "tests/view/view_fixture.h"

#include "conversation/matrix_window.h"
#include "host/ksdbapi/oid_text.h"
#include "platform/toolkit/platform_app.h"
#include "platform/toolkit/scripted_ui.h"
#include "table/ksc_table.h"

#include <fstream>
#include <stdio.h>

std::vector<ConvertCall> g_convertCalls;
std::map<std::string, std::string> g_testNames;

namespace {

// Menu 150 as the module's resources hold it.
CMenu* MakePopupMenu() {
    CMenu popup;
    popup.CreatePopupMenu();
    popup.AppendMenu(MF_STRING, ID_GRAPH_UTILIZATION, "应用(&U)");
    popup.AppendMenu(MF_STRING, ID_GRAPH_ERRORS, "错误(&E)");
    popup.AppendMenu(MF_STRING, ID_GRAPH_BYTES, "字节(&B)");
    popup.AppendMenu(MF_STRING, ID_GRAPH_PACKETS, "数据包(&P)");
    popup.AppendMenu(MF_STRING, ID_GRAPH_ALL, "全部(&A)");
    CMenu* menu = new CMenu;
    menu->CreateMenu();
    menu->AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(popup.Detach()), "Matrix");
    return menu;
}

// A child frame whose window refuses to be created.
class RefusingFrame : public CMDIChildWnd {
  protected:
    afx_msg int OnCreate(LPCREATESTRUCT) { return -1; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RefusingFrame, CMDIChildWnd)
ON_WM_CREATE()
END_MESSAGE_MAP()

} // namespace

CMDIChildWnd* FaultyGraphWindows::NewGraphFrame() {
    return m_refuseFrames ? new RefusingFrame : GraphWindowMaker::NewGraphFrame();
}

BOOL FaultyGraphWindows::CreateTabWnd(CMDIChildWnd* tabFrame, DWORD style) {
    return !m_refuseTabWnd && GraphWindowMaker::CreateTabWnd(tabFrame, style);
}

// Records every call; answers a request at once when the address has a name, as a
// module may do from inside the call.
void RecordingViewHost::ConvertAddress(int command, uint32_t*, const char* address, char*,
                                       intptr_t row) {
    g_convertCalls.push_back({command, address != nullptr ? address : "", row});
    if (command != CONVERT_REQUEST || m_view == nullptr) {
        return;
    }
    const auto name = g_testNames.find(address);
    if (name != g_testNames.end()) {
        m_view->OnNameConverted(address, name->second.c_str(), row);
    }
}

ConversationWindow*
RecordingViewHost::NewConversationWindow(uint32_t node, const std::vector<std::string>& names,
                                         const std::vector<std::string>& addresses,
                                         const char* index, CWnd* owner) {
    return new CMatrixWindow(node, names, addresses, index, owner);
}

std::string AddressText(const std::string& bytes) {
    std::string text;
    char hex[4];
    for (unsigned char byte : bytes) {
        snprintf(hex, sizeof hex, text.empty() ? "%02X" : " %02X", byte);
        text += hex;
    }
    return text;
}

std::shared_ptr<ksdb::MemoryAgent> MakeMatrixAgent(const std::vector<TestConversation>& rows) {
    auto agent = std::make_shared<ksdb::MemoryAgent>();
    for (const TestConversation& c : rows) {
        agent->AddConversation(c.index, c.source, c.destination, c.packets, c.octets, c.errors);
    }
    // Something after the matrix table, so that a walk leaves it by an answer.
    ksdb::Oid after;
    ksdb::ParseOid("1.3.6.1.2.1.16.7.1.1.1.1", after);
    agent->Set(after, ksdb::SnmpValue::Number(ksdb::kAsnInteger, 1));
    return agent;
}

void MatrixViewTest::SetUpTestSuite() {
    PlatformApp::Init();
    platform::SetScriptedUi(TRUE);
    TimerClock::UseManualClock(true);
}

void MatrixViewTest::SetUp() {
    ksdb::ResetDatabase();
    ASSERT_NO_FATAL_FAILURE(SetUpHostLibrary());
    g_convertCalls.clear();
    g_testNames.clear();
    platform::ClearMessageBoxRecords();
    platform::ClearOfferedMenus();
    m_host.m_menu = MakePopupMenu();
    m_host.m_graphWindows = FaultyGraphWindows();

    m_frame = std::make_unique<SECMDIFrameWnd>();
    ASSERT_TRUE(m_frame->Create(nullptr, "Host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 640, 480)));
    m_tabs = std::make_unique<SECTabWnd>();
    ASSERT_TRUE(m_tabs->Create(m_frame.get(), WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL));
    m_tabs->MoveWindow(0, 0, 400, 200);
    m_view = new CMatrixView(m_host);
    m_host.m_view = m_view;
    ASSERT_TRUE(m_view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0),
                               m_tabs.get(), IDC_MATRIX_VIEW));
    m_view->SetTabIndex(m_tabs->AddTab(m_view, "Matrix"));
    ASSERT_TRUE(m_otherPage.Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 0, 0), m_tabs.get(), 1));
    m_tabs->AddTab(&m_otherPage, "Other");
    m_view->SetFrame(m_frame.get());
}

void MatrixViewTest::SetUpHostLibrary() {
    const std::string nodes = std::string(TESSARAN_TEST_BINARY_DIR) + "/view_nodes";
    std::ofstream(nodes) << "1 10.0.0.1 2c public 1000 1 probe-one\n"
                            "2 10.0.0.2 2c public 1000 1 probe-two\n";
    ASSERT_TRUE(ksdb::LoadNodes(nodes));
    Serve({});
}

void MatrixViewTest::TearDown() {
    m_view->CloseView();
    m_view->DestroyWindow();
    delete m_view;
    m_otherPage.DestroyWindow();
    m_tabs->DestroyWindow();
    m_tabs.reset();
    m_frame->DestroyWindow();
    m_frame.reset();
    delete m_host.m_menu;
    m_host.m_menu = nullptr;
    m_host.m_view = nullptr;
    ksdb::ResetDatabase();
}

void MatrixViewTest::Serve(const std::vector<TestConversation>& rows) {
    auto transport = std::make_unique<ksdb::MemoryTransport>();
    m_agent = MakeMatrixAgent(rows);
    transport->SetDefaultAgent(m_agent);
    m_transport = transport.get();
    ksdb::SetTransport(std::move(transport));
}

void MatrixViewTest::FinishWalk() {
    for (int round = 0; round < 10000 && m_view->GetPendingRequest() != 0; ++round) {
        PlatformApp::PumpMessages();
    }
    ASSERT_EQ(m_view->GetPendingRequest(), 0u) << "the walk did not end";
}

void MatrixViewTest::ShowNode(uint32_t node) {
    m_view->ChangeNode(node);
    FinishWalk();
}

std::vector<std::string> MatrixViewTest::Row(int row) const {
    std::vector<std::string> cells;
    for (int column = 0; column < 8; ++column) {
        cells.push_back(m_view->GetTable()->Model().GetCellText(row, column));
    }
    return cells;
}

int MatrixViewTest::RowCount() const {
    return m_view->GetTable()->Model().GetRowCount();
}
