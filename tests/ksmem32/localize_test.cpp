// Localize picks the language from the environment on every call and hands out texts
// that stay valid.
#include "hostapi/ksmem32.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {

// Every text the plug-in passes through Localize.
const char* const kPluginTexts[] = {
    "Unable to load menu handle",
    "Error in Frame window",
    "Matrix can be viewed on nodes with same index",
    "Unable to create tab control inside MDIChild",
    "create graph failed",
    "Select nodes from conversation control",
    "Unknown Device",
    "Index",
    "Source",
    "Destination",
    "Bytes",
    "Packets",
    "Errors",
    "Utilization",
    "UnknownCategory",
    " for ",
    "Utilization for ",
    "Bytes for ",
    "Unavailable",
    "Not available",
    "Instance Unavailable",
    "Matrix",
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
        for (const char* text : kPluginTexts) {
            EXPECT_EQ(Localize(text), text) << lang << ": " << text;
        }
    }
}

// Guards against a plug-in text missing from the catalog (it would show in English).
TEST_F(LocalizeTest, ChineseTranslatesEveryPluginText) {
    setenv("LANGUAGE", "zh_CN", 1);
    for (const char* text : kPluginTexts) {
        EXPECT_STRNE(Localize(text), text);
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
    for (const char* t : kPluginTexts) {
        Localize(t);
    }
    setenv("LANGUAGE", "en", 1);
    for (const char* t : kPluginTexts) {
        Localize(t);
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
