// CConversationCtrl in a 400 x 300 client area: the layout around the ellipse, the
// painted picture, the mouse rules with and without Ctrl (driven by Qt input), the
// inverting drag line, the dashed pair line and the pair enumeration.
#include "conversation/conversation_ctrl.h"
#include "platform/toolkit/platform_app.h"
#include "tests/conversation/conversation_fixture.h"
#include "tests/support/input_simulator.h"
#include "tests/support/logging_wnd.h"

#include <string>

namespace {

const COLORREF kBackground = RGB(192, 192, 192);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kComputer = RGB(0, 0, 255);
const COLORREF kHighlighted = RGB(255, 255, 0);
const COLORREF kDash = RGB(0, 191, 191);
const COLORREF kPlain = RGB(191, 191, 191);

struct Placement {
    int centerX, centerY, labelX, labelY, align;
};

class ConversationCtrlTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { SetUpConversationSuite(); }

    void SetUp() override {
        ASSERT_TRUE(m_parent.CreateTopLevel(CRect(0, 0, 500, 400)));
        ASSERT_TRUE(m_control.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 300),
                                     &m_parent, IDC_CONVERSATION_CTRL));
    }
    void TearDown() override {
        m_control.DestroyWindow();
        m_parent.DestroyWindow();
    }

    void AddNodes(int count) {
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(m_control.AddNode(("node-" + std::to_string(i)).c_str()), 1);
        }
        PlatformApp::PumpMessages();
    }
    Placement PlacementOf(int node) {
        const ReportedNode n = ReportOf(m_control).nodes.at(node);
        return {n.centerX, n.centerY, n.labelX, n.labelY, n.align};
    }
    int Mode() { return ReportOf(m_control).mode; }
    // The pairs as the enumeration answers them; the report must agree.
    std::vector<std::pair<std::string, std::string>> Pairs() {
        std::vector<std::pair<std::string, std::string>> pairs;
        char first[NODE_NAME_SIZE];
        char second[NODE_NAME_SIZE];
        for (int at = m_control.GetFirstSelectedPair(first, second); at >= 0;
             at = m_control.GetNextSelectedPair(at, first, second)) {
            pairs.emplace_back(first, second);
        }
        EXPECT_EQ(ReportOf(m_control).pairs, pairs);
        return pairs;
    }
    COLORREF Pixel(CPoint point) { return PixelAt(m_control, point.x, point.y); }

    LoggingWnd m_parent;
    CConversationCtrl m_control;
};

bool operator==(const Placement& a, const Placement& b) {
    return a.centerX == b.centerX && a.centerY == b.centerY && a.labelX == b.labelX &&
           a.labelY == b.labelY && a.align == b.align;
}

void PrintTo(const Placement& p, std::ostream* out) {
    *out << "centre (" << p.centerX << "," << p.centerY << ") label (" << p.labelX << ","
         << p.labelY << ") align " << p.align;
}

// Ellipse (100, 20, 300, 280), centre (200, 150); node radii 85 and 115, label radii
// 107.5 and 137.5, each truncated toward zero.
TEST_F(ConversationCtrlTest, OneNodeSitsAtTheRightEndWithItsLabelLeftAligned) {
    AddNodes(1);
    EXPECT_EQ(PlacementOf(0), (Placement{285, 150, 307, 150, TA_LEFT}));
    EXPECT_EQ(ReportOf(m_control).nodes.size(), 1u);
}

// The bottom and top nodes lie exactly on the alignment bounds, which are strict.
TEST_F(ConversationCtrlTest, FourNodesRunClockwiseFromTheRightAndOnlyTheLeftLabelIsRightAligned) {
    AddNodes(4);
    EXPECT_EQ(PlacementOf(0), (Placement{285, 150, 307, 150, TA_LEFT}));
    EXPECT_EQ(PlacementOf(1), (Placement{200, 265, 200, 287, TA_LEFT}));
    EXPECT_EQ(PlacementOf(2), (Placement{115, 150, 93, 150, TA_RIGHT}));
    EXPECT_EQ(PlacementOf(3), (Placement{200, 35, 200, 13, TA_LEFT}));

    // A new size lays the nodes out again.
    m_control.MoveWindow(0, 0, 600, 300);
    EXPECT_EQ(PlacementOf(0), (Placement{485, 150, 507, 150, TA_LEFT}));
}

TEST_F(ConversationCtrlTest, EmptyAndOneSpaceNamesAreRefusedAndLongNamesCut) {
    EXPECT_EQ(m_control.AddNode(""), -1);
    EXPECT_EQ(m_control.AddNode(" "), -1);
    EXPECT_TRUE(ReportOf(m_control).nodes.empty());
    EXPECT_EQ(m_control.AddNode("  "), 1);
    const std::string longName(300, 'x');
    EXPECT_EQ(m_control.AddNode(longName.c_str()), 1);
    EXPECT_EQ(ReportOf(m_control).nodes.at(1).name, longName.substr(0, 255));
}

TEST_F(ConversationCtrlTest, PaintShowsBackgroundEllipseLabelAndComputers) {
    AddNodes(1);
    EXPECT_EQ(Pixel({2, 2}), kBackground);
    EXPECT_EQ(Pixel({200, 150}), kWhite);
    // The computer's screen lies just up-left of the centre.
    EXPECT_EQ(Pixel({284, 149}), kComputer);
    // Text is drawn smoothed: some pixel right of the label point is dark.
    bool labelInk = false;
    for (int x = 307; x < 340 && !labelInk; ++x) {
        for (int y = 143; y < 158 && !labelInk; ++y) {
            const COLORREF c = Pixel({x, y});
            labelInk = GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 96;
        }
    }
    EXPECT_TRUE(labelInk) << "no label text right of (307, 150)";
}

TEST_F(ConversationCtrlTest, DragOntoAnotherNodeChoosesThePairAndHighlightsBoth) {
    AddNodes(4);
    char first[NODE_NAME_SIZE];
    char second[NODE_NAME_SIZE];
    EXPECT_EQ(m_control.GetFirstSelectedPair(first, second), PAIR_NONE_CHOSEN);
    EXPECT_EQ(m_control.GetNextSelectedPair(0, first, second), PAIR_NONE_CHOSEN);

    Drag(m_control, 0, 2);
    PlatformApp::PumpMessages();
    EXPECT_EQ(Mode(), CConversationCtrl::MODE_PAIR_CHOSEN);
    EXPECT_EQ(Pairs(), (std::vector<std::pair<std::string, std::string>>{{"node-0", "node-2"}}));
    EXPECT_EQ(m_control.GetNextSelectedPair(0, first, second), PAIR_END);
    EXPECT_EQ(Pixel({284, 149}), kHighlighted);
    EXPECT_EQ(Pixel({114, 149}), kHighlighted);
    EXPECT_EQ(Pixel({199, 264}), kComputer);
}

// Node 2 (115, 150) to node 0 (285, 150): a dashed cyan line 4 pixels above the centres,
// 170 long in 9 pieces, the last from x 262 to 280 after a gap from 243; and a plain grey
// line 4 pixels below.
TEST_F(ConversationCtrlTest, AChosenPairIsDrawnOnceAsADashedAndAPlainLine) {
    AddNodes(4);
    Drag(m_control, 2, 0, true);
    Drag(m_control, 0, 2, true);
    PlatformApp::PumpMessages();
    ASSERT_EQ(Pairs().size(), 2u);
    EXPECT_EQ(Pixel({270, 146}), kDash);
    EXPECT_EQ(Pixel({250, 146}), kWhite) << "the second piece is skipped";
    EXPECT_EQ(Pixel({200, 154}), kPlain);
    EXPECT_EQ(Pixel({200, 100}), kWhite) << "no line but the pair's";
}

TEST_F(ConversationCtrlTest, DragReleasedOnItsStartNodeOrOnEmptySpaceChoosesNothing) {
    AddNodes(4);
    const CPoint start = NodeCenter(m_control, 1);
    input::Press(m_control.GetSafeHwnd(), start.x, start.y);
    EXPECT_EQ(Mode(), CConversationCtrl::MODE_DRAGGING);
    input::Move(m_control.GetSafeHwnd(), start.x + 5, start.y - 5, Qt::LeftButton);
    input::Release(m_control.GetSafeHwnd(), start.x + 5, start.y - 5);
    EXPECT_TRUE(Pairs().empty()) << "the start node is never the target";
    EXPECT_EQ(Mode(), CConversationCtrl::MODE_IDLE);

    input::Press(m_control.GetSafeHwnd(), start.x, start.y);
    input::Move(m_control.GetSafeHwnd(), 200, 150, Qt::LeftButton);
    input::Release(m_control.GetSafeHwnd(), 200, 150);
    EXPECT_EQ(Mode(), CConversationCtrl::MODE_IDLE);
    EXPECT_TRUE(Pairs().empty());

    // A press on empty space starts nothing.
    input::Press(m_control.GetSafeHwnd(), 200, 150);
    EXPECT_EQ(Mode(), CConversationCtrl::MODE_IDLE);
    input::Release(m_control.GetSafeHwnd(), 200, 150);
}

TEST_F(ConversationCtrlTest, CtrlDragsKeepEarlierPairsInOrderAndAPlainPressClearsThem) {
    AddNodes(6);
    Drag(m_control, 0, 1, true);
    Drag(m_control, 4, 5, true);
    EXPECT_EQ(Pairs(), (std::vector<std::pair<std::string, std::string>>{{"node-0", "node-1"},
                                                                         {"node-4", "node-5"}}));
    // With Ctrl, a press on empty space keeps the pairs and the mode.
    input::Press(m_control.GetSafeHwnd(), 200, 150, Qt::LeftButton, Qt::ControlModifier);
    input::Release(m_control.GetSafeHwnd(), 200, 150, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(Mode(), CConversationCtrl::MODE_PAIR_CHOSEN);
    EXPECT_EQ(Pairs().size(), 2u);
    // Without Ctrl everything starts over.
    input::Press(m_control.GetSafeHwnd(), 200, 150);
    input::Release(m_control.GetSafeHwnd(), 200, 150);
    EXPECT_EQ(Mode(), CConversationCtrl::MODE_IDLE);
    EXPECT_TRUE(Pairs().empty());
}

// A Ctrl drag that ends off target leaves mode 0 with the pairs; the next press clears
// them even with Ctrl.
TEST_F(ConversationCtrlTest, PairsLeftAfterAMissedCtrlDragGoAtTheNextPress) {
    AddNodes(4);
    Drag(m_control, 0, 1, true);
    const CPoint start = NodeCenter(m_control, 2);
    input::Press(m_control.GetSafeHwnd(), start.x, start.y, Qt::LeftButton, Qt::ControlModifier);
    input::Release(m_control.GetSafeHwnd(), 200, 150, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(Mode(), CConversationCtrl::MODE_IDLE);
    EXPECT_EQ(Pairs().size(), 1u);
    input::Press(m_control.GetSafeHwnd(), 200, 150, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_TRUE(Pairs().empty());
}

// From node 0's centre (285, 150) over the white ellipse: the line inverts white to black,
// and drawing it again at the next move gives the white back.
TEST_F(ConversationCtrlTest, DragLineInvertsWhatItCrossesAndErasesItself) {
    AddNodes(4);
    const HWND hWnd = m_control.GetSafeHwnd();
    input::Press(hWnd, 285, 150);
    PlatformApp::PumpMessages();
    EXPECT_EQ(Pixel({250, 150}), kWhite);
    input::Move(hWnd, 240, 150, Qt::LeftButton);
    EXPECT_EQ(Pixel({250, 150}), kBlack);
    input::Move(hWnd, 240, 60, Qt::LeftButton);
    EXPECT_EQ(Pixel({250, 150}), kWhite);
    input::Release(hWnd, 240, 60);
    PlatformApp::PumpMessages();
    EXPECT_EQ(Pixel({262, 105}), kWhite) << "the release erases the line";
}

TEST_F(ConversationCtrlTest, ReleaseOutsideTheWindowKeepsTheDragAndTheLineFollowsTheMouseBack) {
    AddNodes(4);
    const HWND hWnd = m_control.GetSafeHwnd();
    input::Press(hWnd, 285, 150);
    input::Move(hWnd, 240, 150, Qt::LeftButton);
    input::Move(hWnd, 450, 150, Qt::LeftButton);
    input::Release(hWnd, 450, 150);
    EXPECT_EQ(Mode(), CConversationCtrl::MODE_DRAGGING);
    EXPECT_EQ(Pixel({250, 150}), kBlack) << "the line stays where the mouse left";
    input::Move(hWnd, 240, 60);
    EXPECT_EQ(Pixel({250, 150}), kWhite);
    EXPECT_EQ(Pixel({262, 105}), kBlack) << "the line follows the mouse back";
    // A plain press starts a new drag, from the node pressed.
    const CPoint top = NodeCenter(m_control, 3);
    const CPoint right = NodeCenter(m_control, 0);
    input::Move(hWnd, top.x, top.y);
    input::Press(hWnd, top.x, top.y);
    input::Move(hWnd, right.x, right.y, Qt::LeftButton);
    input::Release(hWnd, right.x, right.y);
    EXPECT_EQ(Pairs(), (std::vector<std::pair<std::string, std::string>>{{"node-3", "node-0"}}));
}

class DashedLineTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { SetUpConversationSuite(); }
    void SetUp() override {
        CClientDC screen(nullptr);
        ASSERT_TRUE(m_dc.CreateCompatibleDC(&screen));
        ASSERT_TRUE(m_bitmap.CreateCompatibleBitmap(&screen, 64, 16));
        m_previous = m_dc.SelectObject(&m_bitmap);
        m_dc.FillSolidRect(0, 0, 64, 16, kWhite);
    }
    void TearDown() override { m_dc.SelectObject(m_previous); }
    std::string Row(int y) {
        std::string row;
        for (int x = 0; x < 64; ++x) {
            row += m_dc.GetPixel(x, y) == kBlack ? '#' : '.';
        }
        return row;
    }

    CDC m_dc;
    CBitmap m_bitmap;
    CBitmap* m_previous = nullptr;
};

// 20 pixels: k = 1, one piece. 40 pixels: k = 2 + 1 = 3 pieces, ending at 13 and 26 from
// the start; the middle one skipped.
TEST_F(DashedLineTest, TwentyPixelsGiveOnePieceAndFortyThreeWithTheMiddleSkipped) {
    CConversationCtrl::DrawDashedLine(&m_dc, CPoint(2, 4), CPoint(22, 4));
    EXPECT_EQ(Row(4), ".." + std::string(20, '#') + std::string(42, '.'));
    CConversationCtrl::DrawDashedLine(&m_dc, CPoint(2, 10), CPoint(42, 10));
    EXPECT_EQ(Row(10), ".." + std::string(13, '#') + std::string(13, '.') + std::string(14, '#') +
                           std::string(22, '.'));
}

} // namespace
