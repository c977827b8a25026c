// SNMP answers as the walker and the Matrix view see them: an in-memory agent serves a
// matrixSDTable of random instances and random value types from the input, the view
// walks it and walks it again on its refresh timer, and the table must then hold each
// conversation (index, source, destination) in one row only.
#include "graphwnd/graph_window_maker.h"
#include "host/ksdbapi/ksdb_host.h"
#include "platform/core/timer_clock.h"
#include "platform/framework/afx.h"
#include "platform/toolkit/platform_app.h"
#include "platform/toolkit/scripted_ui.h"
#include "table/ksc_table.h"
#include "tests/support/memory_transport.h"
#include "view/matrix_view.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <strings.h>
#include <tuple>

#include "fuzz/fuzz_input.h"

namespace {

constexpr int kMaxObjects = 48;
// Octet strings up to this many bytes: their hex text stays under the view's 1,023-byte
// key buffers.
constexpr size_t kMaxOctets = 300;
constexpr uint32_t kNode = 1;

class QuietViewHost : public ViewHost {
  public:
    CMenu* PopupMenu() override { return nullptr; }
    void ConvertAddress(int, uint32_t*, const char*, char*, intptr_t) override {}
    GraphWindowFactory& GraphWindows() override { return m_graphWindows; }
    ConversationWindow* NewConversationWindow(uint32_t, const std::vector<std::string>&,
                                              const std::vector<std::string>&, const char*,
                                              CWnd*) override {
        return nullptr;
    }

  private:
    GraphWindowMaker m_graphWindows;
};

struct Host {
    SECMDIFrameWnd frame;
    SECTabWnd tabs;
    QuietViewHost viewHost;
    CMatrixView* view = nullptr;
};
Host* g_host = nullptr;

ksdb::SnmpValue RandomValue(FuzzedDataProvider& input) {
    static constexpr uint8_t kTypes[] = {
        ksdb::kAsnInteger,   ksdb::kAsnOctetString, ksdb::kAsnNull,        ksdb::kAsnObjectId,
        ksdb::kAsnIpAddress, ksdb::kAsnCounter32,   ksdb::kAsnGauge32,     ksdb::kAsnTimeTicks,
        ksdb::kAsnOpaque,    ksdb::kAsnCounter64,   ksdb::kAsnNoSuchObject};
    ksdb::SnmpValue value;
    value.type = input.PickValueInArray(kTypes);
    value.number = input.ConsumeIntegral<int64_t>();
    value.bytes = input.ConsumeRandomLengthString(kMaxOctets);
    for (int i = input.ConsumeIntegralInRange(0, 4); i > 0; --i) {
        value.oid.push_back(input.ConsumeIntegral<uint32_t>());
    }
    return value;
}

// Objects of the matrix table's six columns (sometimes a neighbour) at random instances.
std::shared_ptr<ksdb::MemoryAgent> RandomAgent(FuzzedDataProvider& input) {
    auto agent = std::make_shared<ksdb::MemoryAgent>();
    const int count = input.ConsumeIntegralInRange(0, kMaxObjects);
    for (int i = 0; i < count && input.remaining_bytes() > 0; ++i) {
        ksdb::Oid name = {1, 3, 6, 1, 2, 1, 16, 6, 2, 1, input.ConsumeIntegralInRange(0u, 7u)};
        for (int n = input.ConsumeIntegralInRange(0, 14); n > 0; --n) {
            name.push_back(input.ConsumeBool() ? input.ConsumeIntegralInRange(0u, 255u)
                                               : input.ConsumeIntegral<uint32_t>());
        }
        agent->Set(name, RandomValue(input));
    }
    return agent;
}

void WaitForWalk() {
    for (int round = 0; round < 100000 && g_host->view->GetPendingRequest() != 0; ++round) {
        PlatformApp::PumpMessages();
    }
    if (g_host->view->GetPendingRequest() != 0) {
        abort(); // the walk never ended
    }
}

// One row per conversation, letter case aside.
void CheckRows() {
    const TableModel* table = &g_host->view->GetTable()->Model();
    std::set<std::tuple<std::string, std::string, std::string>> seen;
    for (int row = 0; row < table->GetRowCount(); ++row) {
        auto key = std::make_tuple(table->GetCellText(row, CMatrixView::COL_INDEX),
                                   table->GetCellText(row, CMatrixView::COL_SOURCE_ADDRESS),
                                   table->GetCellText(row, CMatrixView::COL_DESTINATION_ADDRESS));
        for (std::string* text : {&std::get<0>(key), &std::get<1>(key), &std::get<2>(key)}) {
            for (char& c : *text) {
                c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
            }
        }
        if (!seen.insert(key).second) {
            abort();
        }
    }
}

void Serve(FuzzedDataProvider& input) {
    auto transport = std::make_unique<ksdb::MemoryTransport>();
    transport->SetDefaultAgent(RandomAgent(input));
    ksdb::SetTransport(std::move(transport));
}

// Closes the view and destroys the windows at exit, before the leak check, as the host does
// when it closes the node's window.
void CloseHost() {
    g_host->view->CloseView();
    g_host->view->DestroyWindow();
    delete g_host->view;
    g_host->tabs.DestroyWindow();
    g_host->frame.DestroyWindow();
    PlatformApp::PumpMessages();
    delete g_host;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    PlatformApp::Init();
    platform::SetScriptedUi(TRUE);
    TimerClock::UseManualClock(true);
    const std::string nodes = FuzzFolder() + "/nodes";
    std::ofstream(nodes) << kNode << " 10.0.0.1 2c public 1000 1 probe\n";
    ksdb::LoadNodes(nodes);
    g_host = new Host;
    g_host->frame.Create(nullptr, "Host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 640, 480));
    g_host->tabs.Create(&g_host->frame, WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL);
    g_host->view = new CMatrixView(g_host->viewHost);
    g_host->view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 200),
                         &g_host->tabs, IDC_MATRIX_VIEW);
    g_host->view->SetTabIndex(g_host->tabs.AddTab(g_host->view, "Matrix"));
    g_host->view->SetFrame(&g_host->frame);
    std::atexit(CloseHost);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    Serve(input);
    g_host->view->ChangeNode(kNode);
    WaitForWalk();
    CheckRows();
    // The refresh walk of a changed table: known rows update, new ones append.
    Serve(input);
    TimerClock::Advance(10000);
    WaitForWalk();
    CheckRows();
    PlatformApp::PumpMessages();
    return 0;
}
