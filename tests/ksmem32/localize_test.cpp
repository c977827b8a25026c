// Localize picks the language from the environment on every call and hands out texts
// that stay valid.
#include "hostapi/ksmem32.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {

// Every text the plug-in passes through Localize, with its Chinese translation.
struct Translation {
    const char* english;
    const char* chinese;
};
const Translation kPluginTexts[] = {
    {"Unable to load menu handle", "无法加载菜单句柄"},
    {"Error in Frame window", "框架窗口出错"},
    {"Matrix can be viewed on nodes with same index", "只能查看索引相同的节点的矩阵"},
    {"Unable to create tab control inside MDIChild", "无法在 MDI 子窗口中创建标签控件"},
    {"create graph failed", "创建图表失败"},
    {"Select nodes from conversation control", "请在会话控件中选择节点"},
    {"Unknown Device", "未知设备"},
    {"Index", "索引"},
    {"Source", "源地址"},
    {"Destination", "目的地址"},
    {"Bytes", "字节"},
    {"Packets", "数据包"},
    {"Errors", "错误"},
    {"Utilization", "利用率"},
    {"UnknownCategory", "未知类别"},
    {" for ", "："},
    {"Utilization for ", "利用率："},
    {"Bytes for ", "字节："},
    {"Packets for ", "数据包："},
    {"Unavailable", "不可用"},
    {"Not available", "无法获取"},
    {"Instance Unavailable", "实例不可用"},
    {"Matrix", "矩阵"},
};

// Sets the language variables for one test and clears them afterwards.
class LocalizeTest : public ::testing::Test {
  protected:
    void SetUp() override { ClearLanguage(); }
    void TearDown() override { ClearLanguage(); }

    static void ClearLanguage() {
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
            unsetenv(name);
        }
    }
};

TEST_F(LocalizeTest, EnglishIsTheArgumentItself) {
    for (const char* lang : {"", "C", "C.UTF-8", "en_US.UTF-8", "POSIX"}) {
        setenv("LANG", lang, 1);
        for (const Translation& text : kPluginTexts) {
            EXPECT_EQ(Localize(text.english), text.english) << lang << ": " << text.english;
        }
    }
}

// Each text by value: a text missing from the catalog would show in English, two swapped
// texts would put one in the place of the other.
TEST_F(LocalizeTest, ChineseTranslatesEveryPluginText) {
    setenv("LANGUAGE", "zh_CN", 1);
    for (const Translation& text : kPluginTexts) {
        EXPECT_STREQ(Localize(text.english), text.chinese) << text.english;
    }
    // The caption is a proper name and stays as it is.
    EXPECT_STREQ(Localize("RAZIZova"), "RAZIZova");
}

TEST_F(LocalizeTest, LanguageFollowsTheUsualVariables) {
    struct Case {
        const char* language;
        const char* lcAll;
        const char* lang;
        bool chinese;
    } cases[] = {
        {"zh_CN", nullptr, nullptr, true},
        {"fr:zh_CN", nullptr, nullptr, true},  // the first language with a catalog
        {"en:zh_CN", nullptr, nullptr, false}, // English ends the list
        {"zh_CN.UTF-8@latin", nullptr, nullptr, true},
        {nullptr, "zh_CN.UTF-8", "C", true}, // LC_ALL before LANG
        {nullptr, "C", "zh_CN.UTF-8", false},
        {nullptr, nullptr, "zh_CN.UTF-8", true},
        {"de", nullptr, "zh_CN.UTF-8", true}, // then the locale variables
        {"zh_TW", nullptr, nullptr, false},   // no catalog: English
    };
    for (const Case& c : cases) {
        ClearLanguage();
        if (c.language) {
            setenv("LANGUAGE", c.language, 1);
        }
        if (c.lcAll) {
            setenv("LC_ALL", c.lcAll, 1);
        }
        if (c.lang) {
            setenv("LANG", c.lang, 1);
        }
        EXPECT_STREQ(Localize("Bytes"), c.chinese ? "字节" : "Bytes")
            << (c.language ? c.language : "-") << " " << (c.lcAll ? c.lcAll : "-") << " "
            << (c.lang ? c.lang : "-");
    }
}

// A message box holds its text and caption at once; graph titles keep pieces longer.
TEST_F(LocalizeTest, ResultsStayValidAcrossCallsAndLanguageChanges) {
    setenv("LANGUAGE", "zh_CN", 1);
    const char* text = Localize("Matrix can be viewed on nodes with same index");
    const char* caption = Localize("RAZIZova");
    for (const Translation& t : kPluginTexts) {
        Localize(t.english);
    }
    setenv("LANGUAGE", "en", 1);
    for (const Translation& t : kPluginTexts) {
        Localize(t.english);
    }
    EXPECT_STREQ(text, "只能查看索引相同的节点的矩阵");
    EXPECT_STREQ(caption, "RAZIZova");
    setenv("LANGUAGE", "zh_CN", 1);
    EXPECT_EQ(Localize("Matrix can be viewed on nodes with same index"), text);
}

TEST_F(LocalizeTest, NullAndUnknownTexts) {
    setenv("LANGUAGE", "zh_CN", 1);
    EXPECT_STREQ(Localize(nullptr), "");
    const char* unknown = "Not in any catalog";
    EXPECT_EQ(Localize(unknown), unknown);
    EXPECT_EQ(Localize(""), std::string(""));
}

} // namespace
