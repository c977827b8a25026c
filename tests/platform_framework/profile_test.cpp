// win.ini: where it is read from, what a section gives and how a small buffer cuts it.
#include "platform/framework/profile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

class ProfileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_path = std::filesystem::temp_directory_path() /
                 ("framework_profile_" + std::to_string(getpid()) + ".ini");
        std::filesystem::remove(m_path);
        setenv("TESSARAN_WININI", m_path.c_str(), 1);
    }
    void TearDown() override {
        std::filesystem::remove(m_path);
        unsetenv("TESSARAN_WININI");
    }
    void Write(const std::string& text) { std::ofstream(m_path) << text; }

    std::filesystem::path m_path;
};

const char* const kSampleIni = "[Windows]\r\n"
                               "Load=\r\n"
                               "[Quillon Network Manager]\r\n"
                               "Dir=C:\\Quillon\r\n"
                               "; a comment\r\n"
                               "\r\n"
                               "  Lang = zh  \r\n"
                               "Flag\r\n"
                               "[Other]\r\n"
                               "Dir=elsewhere\r\n";

struct SectionCase {
    const char* name;
    const char* section;
    DWORD size;
    std::string expected; // buffer contents up to and including the final NUL
    DWORD result;
};

const SectionCase kSectionCases[] = {
    {"several entries", "Quillon Network Manager", 1024,
     std::string("Dir=C:\\Quillon\0Lang=zh\0Flag\0\0", 29), 28},
    {"name without regard to case", "quillon network MANAGER", 1024,
     std::string("Dir=C:\\Quillon\0Lang=zh\0Flag\0\0", 29), 28},
    {"exact fit", "Quillon Network Manager", 29,
     std::string("Dir=C:\\Quillon\0Lang=zh\0Flag\0\0", 29), 28},
    {"one short cuts the last text", "Quillon Network Manager", 28,
     std::string("Dir=C:\\Quillon\0Lang=zh\0Fla\0\0", 28), 26},
    {"cut inside the first text", "Quillon Network Manager", 6, std::string("Dir=\0\0", 6), 4},
    {"empty value kept", "Windows", 100, std::string("Load=\0\0", 7), 6},
    {"missing section", "Nowhere", 100, std::string("\0\0", 2), 0},
};

TEST_F(ProfileTest, SectionEntriesAreNulSeparatedAndCutToSize) {
    Write(kSampleIni);
    for (const SectionCase& test : kSectionCases) {
        SCOPED_TRACE(test.name);
        std::string buffer(test.size, 'x');
        DWORD result = GetProfileSection(test.section, buffer.data(), test.size);
        EXPECT_EQ(result, test.result);
        EXPECT_EQ(buffer.substr(0, test.expected.size()), test.expected);
    }
}

TEST_F(ProfileTest, MissingFileGivesEmptyResult) {
    char buffer[16] = "untouched";
    EXPECT_EQ(GetProfileSection("Quillon Network Manager", buffer, sizeof buffer), 0u);
    EXPECT_EQ(buffer[0], '\0');
}

TEST_F(ProfileTest, WritingCreatesChangesAndDeletes) {
    ASSERT_TRUE(WriteProfileString("Quillon Network Manager", "Dir", "/opt/quillon"));
    ASSERT_TRUE(WriteProfileString("Other", "Key", "1"));
    ASSERT_TRUE(WriteProfileString("Quillon Network Manager", "Dir", "/usr/lib/quillon"));
    ASSERT_TRUE(WriteProfileString("Quillon Network Manager", "Extra", "yes"));
    char buffer[100];
    EXPECT_EQ(GetProfileSection("Quillon Network Manager", buffer, sizeof buffer), 31u);
    EXPECT_EQ(std::string(buffer, 32), std::string("Dir=/usr/lib/quillon\0Extra=yes\0\0", 32));
    EXPECT_EQ(GetProfileString("Other", "KEY", "none", buffer, sizeof buffer), 1u);
    EXPECT_STREQ(buffer, "1");

    ASSERT_TRUE(WriteProfileString("Quillon Network Manager", "Extra", nullptr));
    ASSERT_TRUE(WriteProfileString("Other", nullptr, nullptr));
    EXPECT_EQ(GetProfileString("Other", "Key", "none", buffer, sizeof buffer), 4u);
    EXPECT_STREQ(buffer, "none");
    EXPECT_EQ(GetProfileSection("Quillon Network Manager", buffer, sizeof buffer), 21u);
}

TEST(ProfilePathTest, EnvironmentFirstThenBesideTheInstallation) {
    setenv("TESSARAN_WININI", "/tmp/some.ini", 1);
    EXPECT_EQ(platform::ProfilePath(), "/tmp/some.ini");
    setenv("TESSARAN_WININI", "", 1);
    std::string path = platform::ProfilePath();
    unsetenv("TESSARAN_WININI");
    // The library folder is <build>/lib, so win.ini is <build>/win.ini.
    EXPECT_EQ(std::filesystem::path(path).filename(), "win.ini");
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(path).parent_path() / "lib"));
}

// An installed console keeps win.ini per user; the first write makes its folder.
TEST(ProfilePathTest, PerUserFileUnderTheConfigFolder) {
    const std::string home = ::testing::TempDir() + "profile_home";
    std::filesystem::remove_all(home);
    const char* realHome = std::getenv("HOME");
    const std::string savedHome = realHome ? realHome : "/";
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(platform::UserProfilePath(), home + "/.config/tessaran/win.ini");
    setenv("HOME", savedHome.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/xdg").c_str(), 1);
    const std::string path = platform::UserProfilePath();
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(path, home + "/xdg/tessaran/win.ini");

    setenv("TESSARAN_WININI", path.c_str(), 1);
    EXPECT_TRUE(WriteProfileString("Quillon Network Manager", "Dir", "/usr/lib/tessaran"));
    unsetenv("TESSARAN_WININI");
    EXPECT_TRUE(std::filesystem::exists(path));
}

} // namespace
