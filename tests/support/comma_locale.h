// A locale that writes numbers with a decimal comma (de_DE), for tests that numbers keep
// their point whatever the C library's locale. The locale is compiled with localedef into a
// temporary folder, so the tests need no locale installed on the machine.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

class CommaLocaleTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    // Switches LC_NUMERIC to the comma locale; skips the test when there is none.
    void SetUp() override;
    void TearDown() override;

  private:
    static std::filesystem::path s_dir;
    static bool s_built;
};
