// A host for CMatrixView in tests: a frame, a tab window with shared scroll bars and
// a second page, the view as the first tab, the host library serving an in-memory
// matrix table, a recording conversion function and the manual timer clock.
#pragma once

#include "graphwnd/graph_window_maker.h"
#include "host/ksdbapi/ksdb_host.h"
#include "platform/framework/afx.h"
#include "tests/support/memory_transport.h"
#include "view/matrix_view.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

struct TestConversation {
    int index;
    std::string source; // six address bytes
    std::string destination;
    uint32_t packets, octets, errors;
};

// One call of the conversion function as it reached the recording double.
struct ConvertCall {
    int command;
    std::string address;
    intptr_t row;
};

// What the recording conversion function heard, and the names it answers with.
extern std::vector<ConvertCall> g_convertCalls;
extern std::map<std::string, std::string> g_testNames;

// The real graph host windows, with two faults on command: graph frames whose window
// refuses creation, and multi-tab frames that cannot make their tab window.
class FaultyGraphWindows : public GraphWindowMaker {
  public:
    CMDIChildWnd* NewGraphFrame() override;
    BOOL CreateTabWnd(CMDIChildWnd* tabFrame, DWORD style) override;

    bool m_refuseFrames = false;
    bool m_refuseTabWnd = false;
};

// The view's host services: the test's popup menu, a conversion that records every call
// and answers names from g_testNames at once, the graph windows and the conversation window.
class RecordingViewHost : public ViewHost {
  public:
    CMenu* PopupMenu() override { return m_menu; }
    void ConvertAddress(int command, uint32_t* slot, const char* address, char* scratch,
                        intptr_t row) override;
    GraphWindowFactory& GraphWindows() override { return m_graphWindows; }
    // The real conversation matrix window.
    ConversationWindow* NewConversationWindow(uint32_t node, const std::vector<std::string>& names,
                                              const std::vector<std::string>& addresses,
                                              const char* index, CWnd* owner) override;

    CMenu* m_menu = nullptr;
    CMatrixView* m_view = nullptr;
    FaultyGraphWindows m_graphWindows;
};

// The address text the host library answers for six bytes: "00 A0 C9 12 34 56".
std::string AddressText(const std::string& bytes);
std::shared_ptr<ksdb::MemoryAgent> MakeMatrixAgent(const std::vector<TestConversation>& rows);

class MatrixViewTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;
    // Loads the nodes and chooses the transport, before the view is made: two nodes
    // served by an in-memory agent.
    virtual void SetUpHostLibrary();

    // Serves the conversations from now on (a fresh agent).
    void Serve(const std::vector<TestConversation>& rows);
    // Pumps the event loop until no walk is in flight (bounded).
    void FinishWalk();
    // Selects a node and lets its first walk end.
    void ShowNode(uint32_t node);
    std::vector<std::string> Row(int row) const;
    int RowCount() const;
    uint64_t RequestCount() const { return m_transport->RequestCount(); }

    // Main frames are not deleted by their window; the test owns it.
    std::unique_ptr<SECMDIFrameWnd> m_frame;
    std::unique_ptr<SECTabWnd> m_tabs;
    CWnd m_otherPage;
    RecordingViewHost m_host;
    CMatrixView* m_view = nullptr;
    ksdb::MemoryTransport* m_transport = nullptr;
    std::shared_ptr<ksdb::MemoryAgent> m_agent;
};
