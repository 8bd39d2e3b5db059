#include "platform/HookBinding.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <QCoreApplication>
#include <QLibrary>
#include <QTemporaryDir>
#include "HookCallLog.h"

#include "tests/support/QtTestApp.h"

namespace ms1 {
namespace {

class HookBindingTest : public ::testing::Test {
  protected:
    void SetUp() override { TestApp(); }
};

TEST_F(HookBindingTest, ResolvesAllSevenNamesOfAFullLibraryAndRemovesBothHooksOnRelease) {
    HookCallLog log(TestLibraryFolder("full"));
    log.Reset();
    HookBinding binding;
    ASSERT_TRUE(binding.Load(TestLibraryFolder("full")));
    const HookTable& table = binding.Table();
    ASSERT_NE(table.installmousehook, nullptr);
    ASSERT_NE(table.removemousehook, nullptr);
    ASSERT_NE(table.enablemousehook, nullptr);
    ASSERT_NE(table.installhook, nullptr);
    ASSERT_NE(table.removehook, nullptr);
    ASSERT_NE(table.enablehook, nullptr);
    ASSERT_NE(table.mousewheelenable, nullptr);

    // Each entry reaches the function of its own name (a swapped slot would show here).
    Ms1WindowHandle window{};
    table.installhook(&window);
    table.enablehook(1);
    table.mousewheelenable(0);
    table.enablemousehook(0);
    table.installmousehook();
    EXPECT_EQ(log.Calls(),
              "installhook(window);enablehook(1);mousewheelenable(0);enablemousehook(0);"
              "installmousehook;");

    log.Reset();
    binding.Release();
    EXPECT_EQ(log.Calls(), "removemousehook;removehook;");
    EXPECT_FALSE(binding.IsLoaded());
    EXPECT_EQ(binding.Table().removehook, nullptr);
    binding.Release();  // nothing more is called
    EXPECT_EQ(log.Calls(), "removemousehook;removehook;");
}

TEST_F(HookBindingTest, MissingNamesStayNullAndTheOthersWork) {
    HookBinding binding;
    ASSERT_TRUE(binding.Load(TestLibraryFolder("partial")));
    const HookTable& table = binding.Table();
    EXPECT_EQ(table.installmousehook, nullptr);
    EXPECT_EQ(table.removemousehook, nullptr);
    EXPECT_EQ(table.enablemousehook, nullptr);
    EXPECT_EQ(table.mousewheelenable, nullptr);
    ASSERT_NE(table.installhook, nullptr);
    ASSERT_NE(table.removehook, nullptr);
    ASSERT_NE(table.enablehook, nullptr);

    void* probe =
        dlopen((TestLibraryFolder("partial") + "/libHook.so").toLocal8Bit().constData(), RTLD_NOW);
    ASSERT_NE(probe, nullptr);
    auto installed = reinterpret_cast<int (*)()>(dlsym(probe, "hook_test_key_hook_installed"));
    ASSERT_NE(installed, nullptr);
    Ms1WindowHandle window{};
    table.installhook(&window);
    EXPECT_EQ(installed(), 1);
    // Release calls the remove function that exists and skips the missing one.
    binding.Release();
    EXPECT_EQ(installed(), 0);
    dlclose(probe);
}

TEST_F(HookBindingTest, MissingLibraryLeavesTheWholeTableNull) {
    QTemporaryDir empty;
    HookBinding binding;
    EXPECT_FALSE(binding.Load(empty.path()));
    EXPECT_FALSE(binding.IsLoaded());
    const HookTable& table = binding.Table();
    EXPECT_EQ(table.installmousehook, nullptr);
    EXPECT_EQ(table.removemousehook, nullptr);
    EXPECT_EQ(table.enablemousehook, nullptr);
    EXPECT_EQ(table.installhook, nullptr);
    EXPECT_EQ(table.removehook, nullptr);
    EXPECT_EQ(table.enablehook, nullptr);
    EXPECT_EQ(table.mousewheelenable, nullptr);
    binding.Release();  // harmless
}

// Two bindings of one library in a process (two main windows): releasing one leaves the
// other's table callable.
TEST_F(HookBindingTest, ReleasingOneOfTwoBindingsLeavesTheOtherWorking) {
    HookCallLog log(TestLibraryFolder("full"));
    HookBinding first;
    ASSERT_TRUE(first.Load(TestLibraryFolder("full")));
    {
        HookBinding second;
        ASSERT_TRUE(second.Load(TestLibraryFolder("full")));
    }
    log.Reset();
    first.Table().enablehook(1);
    EXPECT_EQ(log.Calls(), "enablehook(1);");
    EXPECT_TRUE(first.IsLoaded());
}

// A full load after a failed one, and a second load, leave a consistent table.
TEST_F(HookBindingTest, LoadingAgainReplacesTheTable) {
    HookBinding binding;
    QTemporaryDir empty;
    EXPECT_FALSE(binding.Load(empty.path()));
    ASSERT_TRUE(binding.Load(TestLibraryFolder("full")));
    EXPECT_NE(binding.Table().mousewheelenable, nullptr);
    ASSERT_TRUE(binding.Load(TestLibraryFolder("partial")));
    EXPECT_EQ(binding.Table().mousewheelenable, nullptr);
    EXPECT_NE(binding.Table().installhook, nullptr);
}

}  // namespace
}  // namespace ms1
