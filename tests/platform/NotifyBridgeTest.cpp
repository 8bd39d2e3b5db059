#include "platform/dui/NotifyBridge.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QVBoxLayout>

#include "platform/dui/ControlOps.h"
#include "tests/support/QtTestApp.h"

namespace ms1::dui {
namespace {

template <typename T>
T* Add(QWidget& parent, const char* name) {
    auto* control = new T(&parent);
    control->setObjectName(name);
    parent.layout()->addWidget(control);
    return control;
}

// A small window of every kind of control, with the notifications it raised.
class NotifyBridgeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        new QVBoxLayout(&root_);
        root_.setObjectName("root");
        button_ = Add<QPushButton>(root_, "ms_1_apply_btn");
        check_ = Add<QCheckBox>(root_, "ms_1_check_light");
        option1_ = Add<QRadioButton>(root_, "ms_1_btn_prate_1");
        option2_ = Add<QRadioButton>(root_, "ms_1_btn_prate_2");
        combo_ = Add<QComboBox>(root_, "ms_1_combo_light");
        list_ = Add<QListWidget>(root_, "ms_1_list_profile");
        slider_ = Add<QSlider>(root_, "ms_1_slider_brightness");
        edit_ = Add<QLineEdit>(root_, "ms_1_edit_dpi_1");
        for (const char* item : {"off", "steady", "breathing"}) {
            AddItem(combo_, item, -1);
            AddItem(list_, item, 22);
        }
        SetRange(slider_, 0, 100);
        bridge_.Attach(&root_);
    }

    std::vector<std::string> Seen() const {
        std::vector<std::string> seen;
        for (const TNotify& notify : notifies_) {
            seen.push_back(notify.type.toStdString() + " " + notify.sender.toStdString() + " " +
                           std::to_string(notify.wParam));
        }
        return seen;
    }

    QApplication& app_ = TestApp();  // before any widget
    QWidget root_;
    std::vector<TNotify> notifies_;
    NotifyBridge bridge_{[this](const TNotify& notify) { notifies_.push_back(notify); }};
    QPushButton* button_;
    QCheckBox* check_;
    QRadioButton* option1_;
    QRadioButton* option2_;
    QComboBox* combo_;
    QListWidget* list_;
    QSlider* slider_;
    QLineEdit* edit_;
};

TEST_F(NotifyBridgeTest, UserActionsBecomeNotificationsOfTheirTypes) {
    button_->click();
    check_->click();
    check_->click();
    option2_->click();
    option2_->click();  // already selected: no second change
    combo_->setCurrentIndex(2);
    list_->setCurrentRow(1);
    slider_->setValue(40);
    QTest::keyClicks(edit_, "12");
    QTest::keyClick(edit_, Qt::Key_Return);

    EXPECT_EQ(Seen(), (std::vector<std::string>{
                          "click ms_1_apply_btn 0",
                          "checkclick ms_1_check_light 1",
                          "checkclick ms_1_check_light 0",
                          "selectchanged ms_1_btn_prate_2 1",
                          "itemselect ms_1_combo_light 2",
                          "itemselect ms_1_list_profile 1",
                          "valuechanged ms_1_slider_brightness 40",
                          "textchanged ms_1_edit_dpi_1 0",
                          "textchanged ms_1_edit_dpi_1 0",
                          "return ms_1_edit_dpi_1 0",
                      }));
    EXPECT_EQ(notifies_[0].control, button_);
}

TEST_F(NotifyBridgeTest, ChangesMadeByTheProgramNotifyOnlyWhenAskedTo) {
    SetSelected(option1_, true, false);
    SetSelected(check_, true, false);
    SelectItem(combo_, 1, false);
    SelectItem(list_, 2, false);
    SetValue(slider_, 70, false);
    SetText(edit_, "3200", nullptr);
    EXPECT_TRUE(notifies_.empty());
    EXPECT_TRUE(IsSelected(option1_));
    EXPECT_EQ(SelectedItem(list_), 2);
    EXPECT_EQ(Value(slider_), 70);

    SetSelected(option2_, true, true);
    SelectItem(list_, 0, true);
    SetValue(slider_, 71, true);
    EXPECT_EQ(Seen(), (std::vector<std::string>{
                          "selectchanged ms_1_btn_prate_2 1",
                          "itemselect ms_1_list_profile 0",
                          "valuechanged ms_1_slider_brightness 71",
                      }));
    EXPECT_FALSE(IsSelected(option1_));  // options stay exclusive
}

TEST_F(NotifyBridgeTest, SelectingTheSelectedItemWithNotificationNotifiesAgain) {
    SelectItem(list_, 1, false);
    SelectItem(list_, 1, true);
    SelectItem(combo_, 2, false);
    SelectItem(combo_, 2, true);
    EXPECT_EQ(Seen(), (std::vector<std::string>{
                          "itemselect ms_1_list_profile 1",
                          "itemselect ms_1_combo_light 2",
                      }));
    EXPECT_EQ(SelectedItem(list_), 1);
}

TEST_F(NotifyBridgeTest, FocusAndPointerEventsOfEditsAndButtons) {
    root_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&root_));
    root_.activateWindow();
    button_->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return button_->hasFocus(); }, 5000));
    notifies_.clear();

    edit_->setFocus();
    button_->setFocus();
    QEvent enter(QEvent::Enter);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(button_, &enter);
    QCoreApplication::sendEvent(button_, &leave);
    std::vector<std::string> kinds;
    for (const TNotify& notify : notifies_) {
        kinds.push_back(notify.type.toStdString() + " " + notify.sender.toStdString());
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{
                         "killfocus ms_1_apply_btn",
                         "setfocus ms_1_edit_dpi_1",
                         "killfocus ms_1_edit_dpi_1",
                         "setfocus ms_1_apply_btn",
                         "mouseenter ms_1_apply_btn",
                         "mouseleave ms_1_apply_btn",
                     }));
}

TEST_F(NotifyBridgeTest, VirtualWindowComesFromTheNearestMarkedAncestor) {
    QWidget page(&root_);
    page.setProperty("virtualwnd", "MS_1_Page");
    QWidget panel(&page);
    auto* inside = new QPushButton(&panel);
    inside->setObjectName("ms_1_profile_add_btn");
    bridge_.Attach(&page);
    inside->click();
    button_->click();
    ASSERT_EQ(notifies_.size(), 2u);
    EXPECT_EQ(notifies_[0].virtualWindow, "MS_1_Page");
    EXPECT_EQ(notifies_[1].virtualWindow, "");
    // Attaching again does not double the notifications.
    bridge_.Attach(&root_);
    inside->click();
    EXPECT_EQ(notifies_.size(), 3u);
}

}  // namespace
}  // namespace ms1::dui
