// LoadLibrary/GetProcAddress/FreeLibrary: the name rule, the entry function and the loader seam.
#include "module_events.h"
#include "platform/framework/module.h"

#include <gtest/gtest.h>

#include <cstring>

namespace framework_test {

std::vector<std::string>& ModuleEvents() {
    static std::vector<std::string> events;
    return events;
}

std::set<std::string>& RefusingModules() {
    static std::set<std::string> refusing;
    return refusing;
}

} // namespace framework_test

extern "C" void RecordModuleEvent(const char* module, DWORD reason) {
    const char* names[] = {"detach", "attach", "thread attach", "thread detach"};
    framework_test::ModuleEvents().push_back(std::string(module) + " " + names[reason & 3]);
}

extern "C" BOOL ModuleAttachAnswer(const char* module) {
    return framework_test::RefusingModules().count(module) == 0 ? TRUE : FALSE;
}

namespace {

using framework_test::ModuleEvents;

TEST(ModuleNameTest, WindowsNamesMapToSharedObjects) {
    struct {
        const char* windowsName;
        const char* path;
    } const cases[] = {
        {"Parlance.dll", "libparlance.so"},
        {"Tessaran.DLL", "libtessaran.so"},
        {"C:\\Quillon\\Parlance.dll", "C:/Quillon/libparlance.so"},
        {"/opt/quillon\\Parlance.dll", "/opt/quillon/libparlance.so"},
        {"libparlance.so", "libparlance.so"},
        {"dir.dll\\readme", "dir.dll/readme"},
        {".dll", ".dll"},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(platform::ModulePathFromName(test.windowsName), test.path) << test.windowsName;
    }
}

class ModuleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ModuleEvents().clear();
        framework_test::RefusingModules().clear();
    }
    void TearDown() override { platform::SetModuleLoader(nullptr); }
};

TEST_F(ModuleTest, EntryFunctionAttachesOnceAndDetachesOnLastFree) {
    HMODULE first = LoadLibrary("FrameworkTestA.dll");
    ASSERT_NE(first, nullptr);
    HMODULE again = LoadLibrary((platform::LibraryFolder() + "\\FrameworkTestA.dll").c_str());
    EXPECT_EQ(again, first);
    EXPECT_EQ(GetModuleHandle("frameworktesta.dll"), first);

    auto value = reinterpret_cast<int (*)()>(
        reinterpret_cast<void*>(GetProcAddress(first, "TestModuleValue")));
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value(), 'A');
    EXPECT_EQ(GetProcAddress(first, "NoSuchFunction"), nullptr);
    EXPECT_EQ(GetProcAddress(first, MAKEINTRESOURCE(58)), nullptr);

    char path[256];
    EXPECT_GT(GetModuleFileName(first, path, sizeof path), 0u);
    EXPECT_NE(std::strstr(path, "/libframeworktesta.so"), nullptr);

    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(ModuleEvents(), std::vector<std::string>{"A attach"});
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(ModuleEvents(), (std::vector<std::string>{"A attach", "A detach"}));
    EXPECT_EQ(GetModuleHandle("FrameworkTestA.dll"), nullptr);
}

TEST_F(ModuleTest, FreedHandleIsStaleEvenWhenItsSlotIsReused) {
    HMODULE freed = LoadLibrary("FrameworkTestA.dll");
    ASSERT_TRUE(FreeLibrary(freed));
    HMODULE other = LoadLibrary("FrameworkTestB.dll");
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, freed);
    EXPECT_EQ(GetProcAddress(freed, "TestModuleValue"), nullptr);
    EXPECT_FALSE(FreeLibrary(freed));
    char path[16] = "untouched";
    EXPECT_EQ(GetModuleFileName(freed, path, sizeof path), 0u);
    EXPECT_TRUE(FreeLibrary(other));
}

TEST_F(ModuleTest, EntryFunctionAnsweringFalseRefusesTheLoad) {
    framework_test::RefusingModules().insert("A");
    EXPECT_EQ(LoadLibrary("FrameworkTestA.dll"), nullptr);
    // As on Windows, a refused attach is followed by a detach before the module goes.
    EXPECT_EQ(ModuleEvents(), (std::vector<std::string>{"A attach", "A detach"}));
    EXPECT_EQ(GetModuleHandle("FrameworkTestA.dll"), nullptr);
}

TEST_F(ModuleTest, MissingModulesAndFailingLoaderGiveNull) {
    EXPECT_EQ(LoadLibrary("NoSuchModule.dll"), nullptr);
    EXPECT_EQ(LoadLibrary("/nowhere\\FrameworkTestA.dll"), nullptr);
    EXPECT_EQ(LoadLibrary(""), nullptr);
    EXPECT_EQ(LoadLibrary(nullptr), nullptr);

    static const platform::ModuleLoader failing{[](const char*) -> void* { return nullptr; },
                                                [](void*, const char*) -> void* { return nullptr; },
                                                [](void*) { return 0; }};
    platform::SetModuleLoader(&failing);
    EXPECT_EQ(LoadLibrary("FrameworkTestA.dll"), nullptr);
    EXPECT_TRUE(ModuleEvents().empty());
}

TEST_F(ModuleTest, ProgramModuleIsNotFreed) {
    HMODULE program = GetModuleHandle(nullptr);
    ASSERT_NE(program, nullptr);
    EXPECT_FALSE(FreeLibrary(program));
    EXPECT_NE(GetProcAddress(program, "ModuleAttachAnswer"), nullptr);
}

} // namespace
