// The catalog reader takes files of either byte order and refuses damaged ones.
#include "host/ksmem32/mo_catalog.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace {

std::string ReadFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string WriteTemp(const std::string& bytes) {
    std::string path = ::testing::TempDir() + "catalog.mo";
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(MoCatalogTest, ReadsBothByteOrders) {
    for (const char* path : {CATALOG_LITTLE, CATALOG_BIG}) {
        MoCatalog catalog;
        ASSERT_TRUE(catalog.Load(path)) << path;
        EXPECT_STREQ(catalog.Find("Unknown Device"), "未知设备") << path;
        EXPECT_EQ(catalog.Find(""), nullptr) << "the header is not a message";
        EXPECT_EQ(catalog.Find("Unknown"), nullptr);
    }
}

// Regression guard: descriptors pointing past the end of a cut file must not be followed.
TEST(MoCatalogTest, RefusesEveryTruncation) {
    std::string bytes = ReadFile(CATALOG_LITTLE);
    ASSERT_GT(bytes.size(), 28u);
    for (size_t length = 0; length < bytes.size(); length += 7) {
        MoCatalog catalog;
        EXPECT_FALSE(catalog.Load(WriteTemp(bytes.substr(0, length)))) << length;
        EXPECT_EQ(catalog.Size(), 0u);
    }
}

TEST(MoCatalogTest, RefusesOtherFiles) {
    MoCatalog catalog;
    EXPECT_FALSE(catalog.Load("/nonexistent/tessaran.mo"));
    EXPECT_FALSE(catalog.Load(WriteTemp("msgid \"Bytes\"\nmsgstr \"x\"\n")));
    // A valid header whose message count points far beyond the file.
    std::string bytes = ReadFile(CATALOG_LITTLE);
    bytes[8] = bytes[9] = bytes[10] = '\x7f';
    EXPECT_FALSE(catalog.Load(WriteTemp(bytes)));
}

} // namespace
