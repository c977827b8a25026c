// CMatrixWindow as a child of a multi-document frame, walking the host library's
// in-memory agent: address conversion, creation, the polling passes and their order,
// graph requests reaching a logging owner, the context menu, and what is released when.
#include "conversation/matrix_window.h"
#include "hostapi/ksmem32.h"
#include "hostapi/window_report.h"
#include "platform/toolkit/platform_app.h"
#include "platform/toolkit/scripted_ui.h"
#include "res/resource.h"
#include "tests/conversation/conversation_fixture.h"
#include "tests/support/logging_wnd.h"
#include "view/matrix_view.h"

#include <string>
#include <vector>

namespace {

const std::string kHostA("\x00\xA0\xC9\x12\x34\x56", 6);
const std::string kHostB("\x00\x05\x85\xC9\x65\xA5", 6);
const std::string kHostC("\x08\x00\x20\x01\x02\x03", 6);
const char kTextA[] = "00 A0 C9 12 34 56";
const char kTextB[] = "00 05 85 C9 65 A5";
const char kTextC[] = "08 00 20 01 02 03";
const char kDottedA[] = "0.160.201.18.52.86";
const char kDottedB[] = "0.5.133.201.101.165";
const char kDottedC[] = "8.0.32.1.2.3";

const std::vector<MatrixRow> kRows = {
    {1, kHostA, kHostB}, {1, kHostB, kHostA}, {1, kHostA, kHostC}, {1, kHostC, kHostB}};

using Strings = std::vector<std::string>;

// The window's conversation control, as the console finds it.
CWnd& Control(CMatrixWindow& window) {
    return *window.GetDlgItem(IDC_CONVERSATION_CTRL);
}

TEST(ConvertAddressTest, HexadecimalBytesBecomeDottedDecimal) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {kTextA, kDottedA},
        {"FF 10", "255.16"},
        {"A", "160"},           // a missing second digit counts 0
        {"a0", "0"},            // lower-case letters count 0
        {"ABC", "171"},         // characters after the second are ignored
        {"", "0"},              // an empty token reads as the end of text
        {" 01", "0.1"},         // a leading space gives an empty token first
        {"01  02 ", "1.0.2.0"}, // as do two spaces in a row and a trailing space
    };
    for (const Case& c : cases) {
        std::string address = c.in;
        CMatrixWindow::ConvertAddress(address);
        EXPECT_EQ(address, c.out) << "from \"" << c.in << "\"";
    }
    std::string longList;
    for (int i = 0; i < 100; ++i) {
        longList += i == 0 ? "FF" : " FF";
    }
    CMatrixWindow::ConvertAddress(longList);
    EXPECT_EQ(longList.size(), 255u);
}

// What a graph request carried when it reached the owner.
struct Request {
    UINT message;
    Strings addresses;
    std::string index;
};

class MatrixWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { SetUpConversationSuite(); }

    void SetUp() override {
        m_transport = ServeMatrix(kRows);
        platform::ClearMessageBoxRecords();
        platform::ClearOfferedMenus();
        m_frame = std::make_unique<SECMDIFrameWnd>();
        ASSERT_TRUE(m_frame->Create(nullptr, "Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    CRect(0, 0, 900, 700)));
        m_owner.SetHandler(
            [this](LoggingWnd&, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
                return Receive(message, wParam, lParam, result);
            });
        ASSERT_TRUE(m_owner.CreateTopLevel(CRect(0, 0, 50, 50)));
    }

    void TearDown() override {
        m_frame->DestroyWindow();
        m_frame.reset();
        if (::IsWindow(m_owner.GetSafeHwnd())) {
            m_owner.DestroyWindow();
        }
        EXPECT_EQ(TimerClock::ActiveTimerCount(), 0);
        ksdb::ResetDatabase();
    }

    // The receiving end of 3024, 3025 and 3027: reads the list, frees the index text.
    bool Receive(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        if (message != WM_MATRIX_UTILIZATION && message != WM_MATRIX_BYTES &&
            message != WM_MATRIX_PACKETS) {
            return false;
        }
        Request request{message, {}, reinterpret_cast<const char*>(lParam)};
        for (auto* e = reinterpret_cast<const AddressListNode*>(wParam); e != nullptr;
             e = e->next) {
            request.addresses.push_back(e->address);
        }
        m_requests.push_back(request);
        delete[] reinterpret_cast<char*>(lParam);
        result = 0;
        return true;
    }

    // Created as the view creates it; null when the creation was refused.
    CMatrixWindow* Open(const Strings& names, const Strings& addresses, const char* index = "1") {
        auto* window = new CMatrixWindow(1, names, addresses, index, &m_owner);
        if (!window->Create(nullptr, "Hi there!", 0x50CF0000, CRect(0, 0, 400, 300),
                            m_frame.get())) {
            return nullptr;
        }
        PlatformApp::PumpMessages();
        return window;
    }
    CMatrixWindow* OpenThree() {
        CMatrixWindow* window = Open({"alpha", "beta", "gamma"}, {kTextA, kTextB, kTextC});
        EXPECT_NE(window, nullptr);
        return window;
    }

    void FinishWalks(const CMatrixWindow& window) {
        for (int round = 0; round < 10000 && window.GetWalkCount() != 0; ++round) {
            PlatformApp::PumpMessages();
        }
        ASSERT_EQ(window.GetWalkCount(), 0u) << "the walks did not end";
    }

    static std::vector<std::string> WalkTags(const CMatrixWindow& window) {
        std::vector<std::string> tags;
        for (size_t walk = 0; walk < window.GetWalkCount(); ++walk) {
            const auto* tag = reinterpret_cast<const PairWalkTag*>(window.GetWalkTag(walk));
            tags.push_back(std::string(tag->m_source) + ">" + tag->m_destination + " " +
                           std::to_string(tag->m_direction));
        }
        return tags;
    }

    void ChooseFromMenu(CMatrixWindow& window, UINT id) {
        platform::ChooseMenuCommand(id);
        window.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window.GetSafeHwnd()),
                           MAKELPARAM(-1, -1));
        PlatformApp::PumpMessages();
    }

    std::unique_ptr<SECMDIFrameWnd> m_frame;
    LoggingWnd m_owner;
    ksdb::MemoryTransport* m_transport = nullptr;
    std::vector<Request> m_requests;
};

TEST_F(MatrixWindowTest, ThreeNamesGiveSixWalksPerPassInPairOrder) {
    CMatrixWindow* window = OpenThree();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ReportOf(Control(*window)).nodes.size(), 3u);
    EXPECT_EQ(ReportFields(*window, "address", 2), (Strings{kDottedA, kDottedB, kDottedC}));

    window->StartPolling();
    window->RequestAllPairs();
    const std::string a = kDottedA, b = kDottedB, c = kDottedC;
    EXPECT_EQ(WalkTags(*window),
              (Strings{a + ">" + b + " 0", b + ">" + a + " 1", a + ">" + c + " 0",
                       c + ">" + a + " 1", b + ">" + c + " 0", c + ">" + b + " 1"}));
    char instance[256] = "";
    DbSetInt(window->GetWalkRequest(0), FLD_VAR_INDEX, 1);
    DbGetText(window->GetWalkRequest(0), FLD_VAR_INSTANCE, instance, sizeof instance);
    EXPECT_STREQ(instance, (".1.6." + a + ".6." + b).c_str());
    FinishWalks(*window);

    TimerClock::Advance(POLL_INTERVAL - 1);
    EXPECT_EQ(window->GetWalkCount(), 0u) << "a pass before five seconds";
    TimerClock::Advance(1);
    EXPECT_EQ(window->GetWalkCount(), 6u);
    // Closed with six walks in flight: their tags are released with the window.
}

TEST_F(MatrixWindowTest, OneNameOpensWithOneNodeAndNeverWalks) {
    CMatrixWindow* window = Open({"alpha"}, {kTextA});
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ReportOf(Control(*window)).nodes.size(), 1u);
    window->StartPolling();
    window->RequestAllPairs();
    const uint64_t requests = m_transport->RequestCount();
    TimerClock::Advance(3 * POLL_INTERVAL);
    EXPECT_EQ(window->GetWalkCount(), 0u);
    EXPECT_EQ(m_transport->RequestCount(), requests);
}

TEST_F(MatrixWindowTest, NoNamesRefuseTheWindow) {
    EXPECT_EQ(Open({}, {}), nullptr);
    EXPECT_EQ(m_frame->MDIGetActive(), nullptr);
}

TEST_F(MatrixWindowTest, GraphCommandsSendTheChosenPairsToTheOwnerInOrder) {
    CMatrixWindow* window = OpenThree();
    ASSERT_NE(window, nullptr);
    Drag(Control(*window), 0, 1, true);
    Drag(Control(*window), 2, 0, true);
    Drag(Control(*window), 0, 1, true);
    MessageLog::Clear();
    ChooseFromMenu(*window, ID_GRAPH_BYTES);
    const Strings list = {kDottedA, kDottedB, kDottedC, kDottedA, kDottedA, kDottedB};
    EXPECT_MESSAGES(m_owner.GetSafeHwnd(), {{WM_MATRIX_BYTES, kExact}});
    ASSERT_EQ(m_requests.size(), 1u);
    EXPECT_EQ(m_requests[0].addresses, list) << "a pair chosen twice stands twice";
    EXPECT_EQ(m_requests[0].index, "1");
    EXPECT_EQ(ReportFields(*window, "sent", 1), list);

    window->SendMessage(WM_COMMAND, ID_GRAPH_UTILIZATION);
    window->SendMessage(WM_COMMAND, ID_GRAPH_PACKETS);
    EXPECT_MESSAGES(m_owner.GetSafeHwnd(),
                    {{WM_MATRIX_UTILIZATION, kExact}, {WM_MATRIX_PACKETS, kExact}});
    ASSERT_EQ(m_requests.size(), 3u);
    EXPECT_EQ(m_requests[2].addresses, list);
    EXPECT_TRUE(platform::MessageBoxRecords().empty());
}

// The owner's index text is a 100-byte block: a longer index arrives cut to 99 characters
// and its terminator inside the block (the sanitizer build sees a write past it).
TEST_F(MatrixWindowTest, GraphCommandsCutALongIndexToTheTextBlock) {
    for (size_t length : {size_t{99}, size_t{100}, size_t{150}}) {
        const std::string index(length, '7');
        CMatrixWindow* window = Open({"alpha", "beta"}, {kTextA, kTextB}, index.c_str());
        ASSERT_NE(window, nullptr);
        Drag(Control(*window), 0, 1, true);
        m_requests.clear();
        window->SendMessage(WM_COMMAND, ID_GRAPH_BYTES);
        ASSERT_EQ(m_requests.size(), 1u) << length;
        EXPECT_EQ(m_requests[0].index, index.substr(0, MATRIX_INDEX_TEXT_SIZE - 1)) << length;
        window->DestroyWindow();
    }
}

TEST_F(MatrixWindowTest, ErrorsAndAllReachNoHandlerAndTheKeyboardMenuOpensInsideTheCorner) {
    CMatrixWindow* window = OpenThree();
    ASSERT_NE(window, nullptr);
    Drag(Control(*window), 0, 1);
    MessageLog::Clear();
    ChooseFromMenu(*window, ID_GRAPH_ERRORS);
    ChooseFromMenu(*window, ID_GRAPH_ALL);
    EXPECT_MESSAGES(m_owner.GetSafeHwnd(), {});
    EXPECT_TRUE(platform::MessageBoxRecords().empty());
    EXPECT_TRUE(ReportFields(*window, "sent", 1).empty());

    const platform::OfferedMenu& menu = platform::OfferedMenus().back();
    std::vector<UINT> ids;
    for (const platform::OfferedMenuItem& item : menu.items) {
        ids.push_back(item.id);
    }
    EXPECT_EQ(ids, (std::vector<UINT>{ID_GRAPH_UTILIZATION, ID_GRAPH_ERRORS, ID_GRAPH_BYTES,
                                      ID_GRAPH_PACKETS, ID_GRAPH_ALL}));
    CPoint corner(0, 0);
    window->ClientToScreen(&corner);
    EXPECT_EQ(CPoint(menu.point), CPoint(corner.x + 5, corner.y + 5));
    EXPECT_EQ(menu.owner, window->GetSafeHwnd());
}

TEST_F(MatrixWindowTest, SameNameTwiceMapsBothNodesToTheFirstAddress) {
    CMatrixWindow* window = Open({"alpha", "beta", "alpha"}, {kTextA, kTextB, kTextC});
    ASSERT_NE(window, nullptr);
    char address[ADDRESS_LIST_ADDRESS_SIZE];
    window->LookupAddress("alpha", address);
    EXPECT_STREQ(address, kDottedA);
    window->LookupAddress("nobody", address);
    EXPECT_STREQ(address, "");
    Drag(Control(*window), 2, 1);
    window->SendMessage(WM_COMMAND, ID_GRAPH_BYTES);
    ASSERT_EQ(m_requests.size(), 1u);
    EXPECT_EQ(m_requests[0].addresses, (Strings{kDottedA, kDottedB}));
}

TEST_F(MatrixWindowTest, NoPairChosenShowsTheMessageAndSendsNothing) {
    CMatrixWindow* window = OpenThree();
    ASSERT_NE(window, nullptr);
    MessageLog::Clear();
    window->SendMessage(WM_COMMAND, ID_GRAPH_BYTES);
    EXPECT_MESSAGES(m_owner.GetSafeHwnd(), {});
    ASSERT_EQ(platform::MessageBoxRecords().size(), 1u);
    EXPECT_EQ(platform::MessageBoxRecords()[0].text,
              Localize("Select nodes from conversation control"));
    EXPECT_EQ(platform::MessageBoxRecords()[0].type & 0xF, static_cast<UINT>(MB_OK));
}

// The index text is released by the window when no owner is left to receive it.
TEST_F(MatrixWindowTest, OwnerGoneSendsNothing) {
    CMatrixWindow* window = OpenThree();
    ASSERT_NE(window, nullptr);
    Drag(Control(*window), 0, 1);
    m_owner.DestroyWindow();
    window->SendMessage(WM_COMMAND, ID_GRAPH_PACKETS);
    EXPECT_TRUE(m_requests.empty());
    EXPECT_EQ(ReportFields(*window, "sent", 1), (Strings{kDottedA, kDottedB}))
        << "the list is kept until the next one";
}

TEST_F(MatrixWindowTest, ReportsNameTheNodesTheirPlacesAndThePairs) {
    CMatrixWindow* window = OpenThree();
    ASSERT_NE(window, nullptr);
    Drag(Control(*window), 1, 2);
    window->SendMessage(WM_COMMAND, ID_GRAPH_UTILIZATION);
    char text[1024];
    Control(*window).SendMessage(WM_GETREPORT, sizeof text, reinterpret_cast<LPARAM>(text));
    const CPoint beta = NodeCenter(Control(*window), 1);
    EXPECT_NE(std::string(text).find("node\tbeta\t" + std::to_string(beta.x) + "\t" +
                                     std::to_string(beta.y) + "\t"),
              std::string::npos)
        << text;
    EXPECT_NE(std::string(text).find("\npair\tbeta\tgamma\n"), std::string::npos) << text;

    const LRESULT length = window->SendMessage(WM_GETREPORT, 0, 0);
    ASSERT_GT(length, 10);
    char small[6];
    EXPECT_EQ(window->SendMessage(WM_GETREPORT, sizeof small, reinterpret_cast<LPARAM>(small)),
              length);
    EXPECT_STREQ(small, "index");
    window->SendMessage(WM_GETREPORT, sizeof text, reinterpret_cast<LPARAM>(text));
    EXPECT_NE(std::string(text).find(std::string("address\tbeta\t") + kDottedB + "\n"),
              std::string::npos);
    EXPECT_NE(
        std::string(text).find(std::string("sent\t") + kDottedB + "\nsent\t" + kDottedC + "\n"),
        std::string::npos)
        << text;
}

} // namespace
