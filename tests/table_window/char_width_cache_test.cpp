// Cell text measured through the character-width cache: ASCII texts as the sum of their
// characters' advances with the font's height, other texts whole, and a device context
// asked for only while characters are new.
#include "platform/framework/afx.h"
#include "platform/toolkit/platform_app.h"
#include "table/char_width_cache.h"

#include <gtest/gtest.h>

namespace {

class CharWidthCacheTest : public testing::Test {
  protected:
    void SetUp() override {
        PlatformApp::Init();
        m_dc = CreateCompatibleDC(NULL);
        m_source = [this] {
            ++m_taken;
            return m_dc;
        };
    }
    void TearDown() override { DeleteDC(m_dc); }

    int Advances(const char* text) {
        int sum = 0;
        for (; *text; ++text) {
            INT width = 0;
            GetCharWidth32(m_dc, UINT(static_cast<unsigned char>(*text)),
                           UINT(static_cast<unsigned char>(*text)), &width);
            sum += width;
        }
        return sum;
    }

    HDC m_dc = NULL;
    int m_taken = 0;
    CharWidthCache::DcSource m_source;
    CharWidthCache m_cache;
};

} // namespace

TEST_F(CharWidthCacheTest, AsciiTextIsTheSumOfItsAdvancesAndNeedsNoDcOnceSeen) {
    TEXTMETRIC metrics{};
    ASSERT_TRUE(GetTextMetrics(m_dc, &metrics));
    TableExtent extent = m_cache.Measure("00 A0 C9 12", 11, m_source);
    EXPECT_EQ(extent.cx, Advances("00 A0 C9 12"));
    EXPECT_GT(extent.cx, 0);
    EXPECT_EQ(extent.cy, metrics.tmHeight);
    EXPECT_EQ(m_taken, 1);

    extent = m_cache.Measure("C9 00 21", 8, m_source);
    EXPECT_EQ(extent.cx, Advances("C9 00 21"));
    EXPECT_EQ(m_taken, 1) << "every character was known";
    EXPECT_EQ(m_cache.Measure("", 0, m_source).cx, 0);

    m_cache.Reset();
    m_cache.Measure("1", 1, m_source);
    EXPECT_EQ(m_taken, 2);
}

TEST_F(CharWidthCacheTest, TextsBeyondAsciiAreMeasuredWhole) {
    const char text[] = "\xE4\xB8\xAD\xE6\x96\x87 7"; // two CJK characters in UTF-8
    SIZE whole{};
    GetTextExtentPoint32(m_dc, text, int(sizeof text - 1), &whole);
    TableExtent extent = m_cache.Measure(text, sizeof text - 1, m_source);
    EXPECT_EQ(extent.cx, whole.cx);
    EXPECT_EQ(extent.cy, whole.cy);
}
