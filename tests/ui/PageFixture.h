#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/keyboard/XkbKeyboardLayout.h"
#include "ui/FakePage.h"
#include "ui/page/CMS_1_Page.h"

namespace ms1::test {

namespace fs = std::filesystem;

// A mouse page over fake controls and scripted dialogs, with its stores in a folder of the
// test's own.
class PageFixture : public ::testing::Test {
  public:
    void SetUp() override {
        data_ = fs::temp_directory_path() /
                ("ms1-page-" +
                 std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(data_);
        fs::create_directories(data_);
        layout_ = XkbKeyboardLayout::FromNames("us");
        ASSERT_TRUE(layout_);
    }
    void TearDown() override {
        page_.reset();
        fs::remove_all(data_);
    }

    CMS_1_Page& Start() {
        profiles_ = std::make_unique<ProfileStore>(data_);
        macros_ = std::make_unique<MacroStore>(data_);
        page_ = std::make_unique<CMS_1_Page>(MousePageDeps{
            controls_, dialogs_, apply_, apply_, *profiles_, *macros_, data_, texts_, *layout_});
        page_->InitPage();
        page_->LoadProfiles();
        apply_ = {};
        return *page_;
    }

    void Click(const std::string& control) { page_->Notify({"click", control}); }
    void Option(const std::string& control) { page_->Notify({"selectchanged", control}); }

    fs::path data_;
    std::unique_ptr<XkbKeyboardLayout> layout_;
    FakeControls controls_;
    ScriptedDialogs dialogs_;
    CountingApply apply_;
    EnglishTexts texts_;
    std::unique_ptr<ProfileStore> profiles_;
    std::unique_ptr<MacroStore> macros_;
    std::unique_ptr<CMS_1_Page> page_;
};

}  // namespace ms1::test
