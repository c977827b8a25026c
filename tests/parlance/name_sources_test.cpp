// Where names come from: the names file, the IEEE registry, and the address texts.
#include "host/parlance/ethers_file.h"
#include "host/parlance/name_resolver.h"
#include "host/parlance/oui_registry.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace {

// A few blocks of each registry file, copied from ieee-data: the vendors of the demo probe
// and the blocks below.
const char* const kRegistry = TEST_REGISTRY_DIR;

std::string WriteTemp(const char* name, const std::string& text) {
    std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

TEST(EthersFileTest, AddressForms) {
    struct {
        const char* text;
        bool valid;
        uint64_t address;
    } cases[] = {
        {"00:a0:c9:12:34:56", true, 0x00a0c9123456},
        {"00:A0:C9:12:34:56", true, 0x00a0c9123456},
        {"0:a0:c9:1:2:3", true, 0x00a0c9010203}, // as ether_ntoa writes it
        {"00-a0-c9-12-34-56", true, 0x00a0c9123456},
        {"00:a0:c9:12:34", false, 0},
        {"00:a0:c9:12:34:56:78", false, 0},
        {"000:a0:c9:12:34:56", false, 0},
        {"00:a0:c9:12:34:5g", false, 0},
        {"00::c9:12:34:56", false, 0},
        {"", false, 0},
    };
    for (const auto& c : cases) {
        uint64_t address = 0;
        EXPECT_EQ(EthersFile::ParseAddress(c.text, address), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(address, c.address) << c.text;
        }
    }
}

TEST(EthersFileTest, FileLines) {
    EthersFile names;
    ASSERT_TRUE(names.Load(WriteTemp("ethers", "# hosts\n"
                                               "\n"
                                               "00:a0:c9:12:34:56 fileserver # main\n"
                                               "00:a0:c9:12:34:56 second-name\n"
                                               "\t0:0:c:7:ac:1\tgateway\n"
                                               "not-an-address printer\n"
                                               "00:a0:c9:00:00:01\n")));
    ASSERT_NE(names.Find(0x00a0c9123456), nullptr);
    EXPECT_EQ(*names.Find(0x00a0c9123456), "fileserver") << "the first name wins";
    ASSERT_NE(names.Find(0x00000c07ac01), nullptr);
    EXPECT_EQ(*names.Find(0x00000c07ac01), "gateway");
    EXPECT_EQ(names.Find(0x00a0c9000001), nullptr) << "a line without a name";
    EXPECT_FALSE(names.Load("/nonexistent/ethers"));
}

TEST(OuiRegistryTest, ShortNames) {
    struct {
        const char* organisation;
        const char* name;
    } cases[] = {
        {"Intel Corporate", "Intel"},
        {"Cisco Systems, Inc", "Cisco"},
        {"Apple, Inc.", "Apple"},
        {"Raspberry Pi Foundation", "Raspberr"},
        {"  (Leading) blanks", "Leading"},
        {"- 3Com Europe Ltd", "3Com"},
        {"", ""},
        {"., -", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OuiRegistry::ShortName(c.organisation), c.name) << c.organisation;
    }
}

TEST(OuiRegistryTest, LongestBlockNamesTheAddress) {
    OuiRegistry registry;
    ASSERT_EQ(registry.Load(kRegistry), 22u);
    struct {
        uint64_t address;
        const char* vendor; // null: no vendor
    } cases[] = {
        {0x00a0c9123456, "Intel"},    // an MA-L block
        {0x00000c07ac01, "Cisco"},    // another
        {0x208593b45678, "IOG"},      // MA-M block B of 20-85-93
        {0x208593bfffff, "IOG"},      // its last address
        {0x208593c00000, "IEEE"},     // the next one: the MA-L holder
        {0x2085930fffff, "Hemina"},   // MA-M block 0 of the same MA-L
        {0x208593000000, "Hemina"},   // its first address, the MA-L's first too
        {0x70b3d5f2f123, "TELEPLAT"}, // MA-S block F2F of 70-B3-D5
        {0x70b3d5f2ffff, "TELEPLAT"}, // its last address
        {0x70b3d5f30000, "IEEE"},     // the next one: the MA-L holder
        {0x70b3d5000123, "IEEE"},     // before every MA-S block: the MA-L holder
        {0x741ae0912345, "IEEE"},     // a private MA-M block names nobody
        {0x0000ab000000, nullptr},    // between two MA-L blocks of the same first 12 bits
        {0x000000000000, nullptr},    // below every block
        {0xffffffffffff, nullptr},    // above every block
    };
    for (const auto& c : cases) {
        EXPECT_EQ(registry.Find(c.address), c.vendor ? c.vendor : "") << std::hex << c.address;
    }
}

TEST(OuiRegistryTest, ReadsWindowsLineEndsAndSkipsBrokenEntries) {
    std::string dir = ::testing::TempDir() + "registry";
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "/oui.txt", std::ios::binary)
        << "OUI/MA-L\r\n\r\n"
           "AA-BB-CC   (hex)\t\tFirst Vendor\r\n"
           "AABBCC     (base 16)\t\tFirst Vendor\r\n\r\n"
           "AA-BB   (hex)\t\tBroken Vendor\r\n"
           "AABB     (base 16)\t\tBroken Vendor\r\n"
           "AA-BB-CD   (hex)\t\tNo Range Line\r\n";
    std::ofstream(dir + "/oui36.txt", std::ios::binary)
        << "AA-BB-CC   (hex)\t\tSmall Block\n"
           "DEF000-DEFFFF     (base 16)\t\tSmall Block\n";
    OuiRegistry registry;
    EXPECT_EQ(registry.Load(dir), 2u);
    EXPECT_EQ(registry.Find(0xaabbccdef123), "Small");
    EXPECT_EQ(registry.Find(0xaabbcc000000), "First");
    EXPECT_EQ(registry.Find(0xaabbcd000000), "");
}

TEST(NameResolverTest, AddressTexts) {
    struct {
        const char* text;
        bool valid;
    } cases[] = {
        {"00 A0 C9 12 34 56", true},
        {"00 a0 c9 12 34 56", true},
        {"00 A0 C9 12 34", false},
        {"00 A0 C9 12 34 56 78", false},
        {"00  A0 C9 12 34 5", false},
        {" 00 A0 C9 12 34 5", false},
        {"00 A0 C9 12 34 56 ", false},
        {"0 A0 C9 12 34 567", false},
        {"00:A0:C9:12:34:56", false},
        {"00 A0 C9 12 34 5G", false},
        {"", false},
        {nullptr, false},
    };
    for (const auto& c : cases) {
        uint64_t address = 0;
        EXPECT_EQ(NameResolver::ParseAddressText(c.text, address), c.valid)
            << (c.text ? c.text : "null");
    }
}

TEST(NameResolverTest, NamesFileBeforeVendor) {
    NameResolver resolver(WriteTemp("ethers-resolver", "00:a0:c9:12:34:56 fileserver\n"),
                          kRegistry);
    struct {
        const char* text;
        const char* name;
    } cases[] = {
        {"00 A0 C9 12 34 56", "fileserver"},
        {"00 a0 c9 12 34 56", "fileserver"},
        {"00 A0 C9 AB CD EF", "Intel_ab:cd:ef"},
        {"70 B3 D5 F2 F1 23", "TELEPLAT_f2:f1:23"},
        {"FF FF FF FF FF FF", ""},
        {"00 A0 C9 12 34", ""},
        {nullptr, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(resolver.Name(c.text), c.name) << (c.text ? c.text : "null");
    }
}

} // namespace
