#include "comma_locale.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

std::filesystem::path CommaLocaleTest::s_dir;
bool CommaLocaleTest::s_built = false;

void CommaLocaleTest::SetUpTestSuite() {
    s_dir = std::filesystem::temp_directory_path() / ("comma-locale-" + std::to_string(::getpid()));
    std::filesystem::create_directories(s_dir);
    const std::string command =
        "localedef -i de_DE -f UTF-8 '" + s_dir.string() + "/de_DE.UTF-8' >/dev/null 2>&1";
    s_built = std::system(command.c_str()) == 0;
}

void CommaLocaleTest::TearDownTestSuite() {
    std::filesystem::remove_all(s_dir);
}

void CommaLocaleTest::SetUp() {
    if (!s_built) {
        GTEST_SKIP() << "localedef could not build de_DE";
    }
    setenv("LOCPATH", s_dir.c_str(), 1);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr ||
        std::strcmp(std::localeconv()->decimal_point, ",") != 0) {
        GTEST_SKIP() << "no comma locale";
    }
}

void CommaLocaleTest::TearDown() {
    std::setlocale(LC_NUMERIC, "C");
    unsetenv("LOCPATH");
}
