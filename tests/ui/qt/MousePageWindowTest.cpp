// The mouse page inside the real main window, with the real skin, stores in a temporary data
// folder and a recording stand-in for the device side.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/CMainWnd.h"
#include "app/MousePageWindow.h"
#include "platform/keyboard/XkbKeyboardLayout.h"
#include "ports/WindowMessages.h"
#include "storage/MacroStore.h"
#include "storage/ProfileStore.h"
#include "storage/SettingsFile.h"
#include "tests/support/ModalActions.h"
#include "tests/ui/qt/QtPageFixtures.h"
#include "tests/ui/qt/RecordingSession.h"
#include "ui/macro/qt/CMS_1_Macro.h"
#include "ui/page/CMS_1_Page.h"
#include "ui/page/qt/DuiPageDialogs.h"

namespace ms1::test {
namespace {

class MousePageWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { TestApp(); }

    void Start(int storedModel = -1) {
        ASSERT_TRUE(temp_.isValid());
        data_ = std::filesystem::path(temp_.path().toStdString());
        if (storedModel >= 0) {
            WriteModel(data_, storedModel);
        }
        auto session = std::make_unique<RecordingSession>();
        session_ = session.get();
        page_ = std::make_unique<MousePageWindow>(data_, std::move(session));
        window_ = std::make_unique<CMainWnd>(Skins(), Texts(),
                                             CMainWnd::Options{"", CMainWnd::Tray::Off});
        window_->RegisterPage(page_.get());
        ASSERT_TRUE(window_->Create());
        Deliver();
    }
    void TearDown() override {
        if (window_ != nullptr) {
            window_->UnregisterPage();
        }
        window_.reset();
        page_.reset();
    }
    // Hands over every posted message; nothing waits for a clock.
    static void Deliver() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
        }
    }
    template <typename T = QWidget>
    T* Find(const char* name) const {
        return qobject_cast<T*>(window_->FindControl(name));
    }
    ProfileRecord& Working() const { return page_->Page()->Working(); }
    bool TimerRunning(int id) const { return window_->Timers().IsTimerRunning(id); }

    QTemporaryDir temp_;
    std::filesystem::path data_;
    RecordingSession* session_ = nullptr;
    std::unique_ptr<MousePageWindow> page_;
    std::unique_ptr<CMainWnd> window_;
};

TEST_F(MousePageWindowTest, BuildsThePageInTheHostAndFollowsTheLink) {
    Start();
    ASSERT_NE(page_->PageWidget(), nullptr);
    EXPECT_TRUE(window_->PageHost()->isAncestorOf(page_->PageWidget()));
    auto* list = Find<QListWidget>("ms_1_list_profile");
    ASSERT_EQ(list->count(), 1);  // a first start makes one profile
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(Find<QLineEdit>("ms_1_edit_dpi_1")->text().toInt(),
              DpiStepToDisplay(Working().dpiValue[0]));
    EXPECT_GT(session_->linkRefreshes, 0);
    EXPECT_TRUE(Find<QWidget>("ms_1_ver_light")->isHidden());

    auto* tabs = Find<QStackedWidget>("device_tab_switch");
    EXPECT_EQ(tabs->currentIndex(), CMainWnd::kEmptyTab);
    session_->connected = true;
    window_->Messages().Post(MSG_CONNECTION_CHANGED, 0, 0);
    Deliver();
    EXPECT_EQ(tabs->currentIndex(), CMainWnd::kDeviceTab);
}

TEST_F(MousePageWindowTest, OptionsApplyAtOnceAndOnlyTheUsersOwnChoice) {
    Start();
    Find<QAbstractButton>("ms_1_btn_prate_2")->click();
    Deliver();
    EXPECT_EQ(Working().pollingRate, 1);
    EXPECT_EQ(session_->applies, 1);

    // A stage the mouse reports is shown and not sent back.
    session_->status->ShowStage(3);
    Deliver();
    EXPECT_TRUE(Find<QAbstractButton>("ms_1_option_dpi_step_3")->isChecked());
    EXPECT_EQ(session_->applies, 1);
}

TEST_F(MousePageWindowTest, TypedDpiIsStoredWithoutAnApply) {
    Start();
    auto* edit = Find<QLineEdit>("ms_1_edit_dpi_4");
    edit->selectAll();
    QTest::keyClicks(edit, "3200");
    QTest::keyClick(edit, Qt::Key_Return);
    Deliver();
    EXPECT_EQ(Working().dpiValue[3], 64);
    EXPECT_EQ(Find<QSlider>("ms_1_slider_dpi_4")->value(), 64);
    EXPECT_EQ(Find<QLabel>("ms_1_label_dpi_4")->text(), "3200");
    EXPECT_EQ(edit->text(), "3200");
    EXPECT_EQ(session_->applies, 0);
    EXPECT_EQ(session_->delayedApplies, 0);

    auto* other = Find<QLineEdit>("ms_1_edit_dpi_2");
    other->selectAll();
    QTest::keyClicks(other, "12a5");
    EXPECT_EQ(other->text(), "125");
    EXPECT_EQ(other->cursorPosition(), 3);
}

TEST_F(MousePageWindowTest, LightingModeChangesWaitForOneDelayedApply) {
    Start();
    auto* combo = Find<QComboBox>("ms_1_combo_light");
    combo->setCurrentIndex(2);
    combo->setCurrentIndex(5);
    Deliver();
    EXPECT_EQ(Working().lightMode, 5);
    EXPECT_GT(session_->delayedApplies, 0);
    EXPECT_EQ(session_->applies, 0);
    EXPECT_FALSE(Find<QWidget>("ms_1_ver_breathspeed")->isHidden());
    EXPECT_TRUE(Find<QWidget>("ms_1_ver_brightness")->isHidden());
    EXPECT_TRUE(Find<QWidget>("ms_1_hor_light_color")->isHidden());
}

TEST_F(MousePageWindowTest, UnconfirmedApplyIsShownUntilTheNextConfirmedOne) {
    Start();
    auto* notice = Find<QLabel>("ms_1_label_unconfirmed");
    EXPECT_TRUE(notice->isHidden());
    page_->ShowApplyRing(true);
    page_->ApplyFinished(false);
    Deliver();
    EXPECT_FALSE(notice->isHidden());
    EXPECT_FALSE(Find<QWidget>("apply_ring")->isHidden());
    page_->ShowApplyRing(false);
    page_->ApplyFinished(true);
    Deliver();
    EXPECT_TRUE(notice->isHidden());
    EXPECT_TRUE(Find<QWidget>("apply_ring")->isHidden());
}

TEST_F(MousePageWindowTest, StoredModelPicksOptionAndPicture) {
    Start(3);
    EXPECT_TRUE(Find<QAbstractButton>("ms_1_option_mouse_pic_4")->isChecked());
    EXPECT_EQ(Find<QWidget>("ms_1_container_mouse_pic")->property("bkimage").toString(),
              "skins/ms_1/mouse_4.png");
    Find<QAbstractButton>("ms_1_option_mouse_pic_6")->click();
    Deliver();
    EXPECT_EQ(ReadModel(data_), 5);
    EXPECT_EQ(Find<QWidget>("ms_1_container_mouse_pic")->property("bkimage").toString(),
              "skins/ms_1/mouse_6.png");
    EXPECT_EQ(session_->applies, 0);
}

TEST_F(MousePageWindowTest, OutOfRangeModelFallsBackToTheFirst) {
    Start(7);
    EXPECT_TRUE(Find<QAbstractButton>("ms_1_option_mouse_pic_1")->isChecked());
    EXPECT_EQ(Find<QWidget>("ms_1_container_mouse_pic")->property("bkimage").toString(),
              "skins/ms_1/mouse_1.png");
    EXPECT_EQ(ReadModel(data_), 0);
}

TEST_F(MousePageWindowTest, SectionHeadersShowTheirPanelsAndLowerOnesScroll) {
    Start();
    auto* header = Find<QCheckBox>("ms_1_check_angle_snap");
    header->click();
    Deliver();
    EXPECT_FALSE(Find<QWidget>("ms_1_hor_angle_snap")->isHidden());
    EXPECT_TRUE(TimerRunning(TIMER_PAGE_DEFERRED));
    window_->Timers().KillTimer(TIMER_PAGE_DEFERRED);
    header->click();
    Deliver();
    EXPECT_TRUE(Find<QWidget>("ms_1_hor_angle_snap")->isHidden());
    EXPECT_FALSE(TimerRunning(TIMER_PAGE_DEFERRED));

    Find<QCheckBox>("ms_1_check_light")->click();
    EXPECT_FALSE(Find<QWidget>("ms_1_ver_light")->isHidden());
    EXPECT_FALSE(TimerRunning(TIMER_PAGE_DEFERRED));
}

TEST_F(MousePageWindowTest, SlidersUpdateTheirLabelsAndDelayTheApply) {
    Start();
    Find<QSlider>("ms_1_slider_light_off")->setValue(3);
    Find<QSlider>("ms_1_slider_key_debounce")->setValue(4);
    Deliver();
    EXPECT_EQ(Find<QLabel>("ms_1_label_light_off")->text(), "Lights off after 1.5 min");
    EXPECT_EQ(Find<QLabel>("ms_1_label_key_debounce")->text(), "8 ms");
    EXPECT_EQ(Working().lightOffTimer, 3);
    EXPECT_GT(session_->delayedApplies, 0);
    EXPECT_EQ(session_->applies, 0);
}

TEST_F(MousePageWindowTest, OnlyTheFirstTwelveButtonsOpenTheMenu) {
    Start();
    Find<QAbstractButton>("ms_1_btn_key_2")->click();
    EXPECT_EQ(page_->Page()->MenuButton(), 1);
    Find<QAbstractButton>("ms_1_btn_key_13")->click();
    EXPECT_EQ(page_->Page()->MenuButton(), 1);
}

// What the user looks at stays as it was: the scrolled page across a profile switch, a button
// field's highlight once its menu is gone.
TEST_F(MousePageWindowTest, ThePageStaysAsTheUserLeftIt) {
    Start();
    WhenModal([](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("edit_name")->setText("Racing");
        Click(dialog, "btn_ok");
    });
    Find<QAbstractButton>("ms_1_profile_add_btn")->click();
    Deliver();
    window_->Widget()->resize(800, 572);
    window_->Widget()->show();
    session_->connected = true;
    window_->Messages().Post(MSG_CONNECTION_CHANGED, 0, 0);
    Deliver();
    for (QAbstractButton* header : page_->PageWidget()->findChildren<QAbstractButton*>()) {
        if (header->property("section").toBool() && !header->isChecked())
            header->click();
    }
    Working().lightMode = 1;  // the second profile breathes: other lighting fields
    Deliver();
    window_->Timers().KillTimer(TIMER_PAGE_DEFERRED);
    QScrollBar* bar = Find<QScrollArea>("ms_1_ver_setting")->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 100);
    auto* list = Find<QListWidget>("ms_1_list_profile");
    for (int row : {0, 1, 0}) {
        const int at = bar->maximum() / 2 + row;
        bar->setValue(at);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
        Deliver();
        EXPECT_EQ(page_->Page()->SelectedIndex(), row);
        EXPECT_EQ(bar->value(), at) << "after switching to " << row;
    }

    // The selected line's text starts where the other lines' do.
    const QImage lines = list->viewport()->grab().toImage();
    auto textStart = [&](int row) {
        const QRect rect = list->visualItemRect(list->item(row));
        const QRgb background = lines.pixel(rect.right() - 2, rect.center().y());
        for (int x = rect.left(); x < rect.right(); ++x) {
            for (int y = rect.top(); y <= rect.bottom(); ++y) {
                if (qGray(lines.pixel(x, y)) != qGray(background) &&
                    std::abs(qGray(lines.pixel(x, y)) - qGray(background)) > 60)
                    return x;
            }
        }
        return -1;
    };
    EXPECT_EQ(textStart(0), textStart(1));
    EXPECT_GT(textStart(1), 0);

    auto* field = Find<QAbstractButton>("ms_1_btn_key_5");
    field->click();
    QMenu* menu = QApplication::activePopupWidget() != nullptr
                      ? qobject_cast<QMenu*>(QApplication::activePopupWidget())
                      : nullptr;
    ASSERT_NE(menu, nullptr);
    field->setAttribute(Qt::WA_UnderMouse, true);  // as the pointer left it for the menu
    menu->close();
    Deliver();
    EXPECT_FALSE(field->underMouse());
}

TEST_F(MousePageWindowTest, ShutdownStopsTheDeviceSideAndKeepsTheEdits) {
    Start();
    Find<QAbstractButton>("ms_1_btn_prate_1")->click();
    Find<QAbstractButton>("ms_1_option_angle_snap_2")->click();
    page_->Shutdown();
    page_->Shutdown();
    EXPECT_EQ(session_->stops, 1);

    ProfileStore reread(data_);
    reread.LoadProfileStore(u"Profile", StoreMode::ReadOnly);
    auto access = reread.Lock();
    ASSERT_EQ(access.Profiles().size(), 1u);
    EXPECT_EQ(access.Profiles()[0]->pollingRate, 0);
    EXPECT_EQ(access.Profiles()[0]->angleSnap, 1);
}

TEST_F(MousePageWindowTest, AddedProfileIsSelectedAndApplied) {
    Start();
    WhenModal([](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("edit_name")->setText("Racing");
        Click(dialog, "btn_ok");
    });
    Find<QAbstractButton>("ms_1_profile_add_btn")->click();
    Deliver();
    auto* list = Find<QListWidget>("ms_1_list_profile");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), "Racing");
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(page_->Page()->SelectedIndex(), 1);
    EXPECT_EQ(Working().profileName.get(), u"Racing");
    EXPECT_TRUE(page_->Page()->FullApplyPending());
    EXPECT_EQ(session_->applies, 1);

    // The user's first own choice in the list switches back at once.
    list->setCurrentRow(0);
    Deliver();
    EXPECT_EQ(page_->Page()->SelectedIndex(), 0);
    EXPECT_EQ(session_->applies, 2);
}

TEST_F(MousePageWindowTest, RenameToATakenNameIsRefusedThenCancelled) {
    Start();
    const std::u16string before = Working().profileName.get();
    WhenModal([before](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("edit_name")
            ->setText(QString::fromStdU16String(before).toUpper());
        WhenModal([dialog](QWidget* box) {
            EXPECT_NE(box, dialog);  // the refusal is a box of its own
            EXPECT_EQ(box->findChild<QLabel*>("warning")->text(),
                      "A profile with this name already exists.");
            Click(box, "btn_ok");
            WhenModal([](QWidget* stillOpen) { Click(stillOpen, "btn_cancel"); });
        });
        Click(dialog, "btn_ok");
    });
    Find<QAbstractButton>("ms_1_profile_rename_btn")->click();
    Deliver();
    EXPECT_EQ(Working().profileName.get(), before);
    EXPECT_EQ(Find<QListWidget>("ms_1_list_profile")->item(0)->text(),
              QString::fromStdU16String(before));
}

TEST_F(MousePageWindowTest, TheOnlyProfileIsNotDeleted) {
    Start();
    QString shown;
    WhenModal([&shown](QWidget* box) {
        shown = box->findChild<QLabel*>("warning")->text();
        Click(box, "btn_ok");
    });
    Find<QAbstractButton>("ms_1_profile_delete_btn")->click();
    Deliver();
    EXPECT_EQ(shown, "The last profile cannot be deleted.");
    EXPECT_EQ(Find<QListWidget>("ms_1_list_profile")->count(), 1);
    EXPECT_EQ(session_->applies, 0);
}

// Chooses `file` in the file dialog that opens next and accepts it.
void ChooseFile(const QString& file) {
    WhenModal([file](QWidget* window) {
        auto* dialog = qobject_cast<QFileDialog*>(window);
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(file);
        static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, reached through QDialog
    });
}

TEST_F(MousePageWindowTest, ExportWritesOneRecordWithTheDefaultSuffix) {
    Start();
    const QString base = QDir(temp_.path()).filePath("shared");
    ChooseFile(base);
    Find<QAbstractButton>("ms_1_profile_export_btn")->click();
    Deliver();
    const QFileInfo written(base + ".pro");
    ASSERT_TRUE(written.exists());
    EXPECT_EQ(written.size(), 47776);
}

TEST_F(MousePageWindowTest, ImportOfAShortFileIsRefusedWithAMessage) {
    Start();
    const QString bad = QDir(temp_.path()).filePath("broken.pro");
    {
        QFile file(bad);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(100, 'x'));
    }
    QString shown;
    ChooseFile(bad);
    // The refusal follows the file dialog.
    QTimer::singleShot(0, [&shown] {
        WhenModal([&shown](QWidget* box) {
            if (auto* text = box->findChild<QLabel*>("warning")) {
                shown = text->text();
            }
            Click(box, "btn_ok");
        });
    });
    Find<QAbstractButton>("ms_1_profile_import_btn")->click();
    Deliver();
    EXPECT_TRUE(shown.startsWith("broken.pro: ")) << shown.toStdString();
    EXPECT_EQ(Find<QListWidget>("ms_1_list_profile")->count(), 1);
    EXPECT_EQ(session_->applies, 0);
}

TEST_F(MousePageWindowTest, AFinishedExportIsToldInTheStatusLineForFourSeconds) {
    Start();
    auto* status = window_->FindControlAs<QLabel>("status_label");
    ASSERT_NE(status, nullptr);
    const QString own = status->text();
    EXPECT_EQ(own, "MS-1 configuration utility");
    const QString file = QDir(temp_.path()).filePath("Profile1.pro");
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        // The proposed name is the profile's.
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text(), "Profile1.pro");
        dialog->selectFile(file);
        static_cast<QDialog*>(dialog)->accept();
    });
    Click(window_->Widget(), "ms_1_profile_export_btn");
    Deliver();
    ASSERT_TRUE(QFileInfo::exists(file));
    EXPECT_EQ(status->text(), "Profile saved as Profile1.pro");
    QTimer* timer = page_->Dialogs()->StatusTimer();
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 4000);
    EXPECT_TRUE(timer->isSingleShot());
    timer->start(0);  // the four seconds are over
    ASSERT_TRUE(QTest::qWaitFor([&] { return status->text() == own; }, 5000));
}

TEST_F(MousePageWindowTest, ConfirmedResetRestoresDefaultsAndApplies) {
    Start();
    Find<QAbstractButton>("ms_1_btn_prate_1")->click();
    Find<QSlider>("ms_1_slider_dpi_1")->setValue(200);
    Deliver();
    const int appliesBefore = session_->applies;
    WhenModal([](QWidget* box) { Click(box, "btn_ok"); });
    Find<QAbstractButton>("ms_1_btn_reset")->click();
    Deliver();
    EXPECT_EQ(Working().pollingRate, 3);
    EXPECT_TRUE(Find<QAbstractButton>("ms_1_btn_prate_4")->isChecked());
    EXPECT_EQ(Find<QSlider>("ms_1_slider_dpi_1")->value(), Working().dpiValue[0]);
    EXPECT_NE(Working().dpiValue[0], 200);
    EXPECT_EQ(session_->applies, appliesBefore + 1);
}

TEST_F(MousePageWindowTest, StageColourFromTheDialogIsStoredShownAndApplied) {
    Start();
    WhenModal([](QWidget* dialog) {
        Click(dialog, "mouse_dpi_color_13");
        Click(dialog, "confirm_btn");
    });
    Find<QAbstractButton>("ms_1_btn_dpi_color_2")->click();
    Deliver();
    EXPECT_EQ(Working().stageColor[1].r, 30);
    EXPECT_EQ(Working().stageColor[1].g, 180);
    EXPECT_EQ(Working().stageColor[1].b, 10);
    EXPECT_EQ(Find<QWidget>("ms_1_btn_dpi_color_2")->property("bkcolor").value<QColor>(),
              QColor(30, 180, 10));
    EXPECT_EQ(session_->applies, 1);

    const RgbColor light = Working().lightColor;
    WhenModal([](QWidget* dialog) {
        Click(dialog, "mouse_dpi_color_5");
        Click(dialog, "cancel_btn");
    });
    Find<QAbstractButton>("ms_1_btn_light_color")->click();
    Deliver();
    EXPECT_EQ(Working().lightColor.r, light.r);
    EXPECT_EQ(Working().lightColor.g, light.g);
    EXPECT_EQ(Working().lightColor.b, light.b);
    EXPECT_EQ(session_->applies, 1);
}

// The macro editor opens in the style the page has, its scroll bars and rows included; after
// dark and back to light, the window looks as it did at start.
TEST_F(MousePageWindowTest, TheEditorTakesThePagesStyleAndLightBringsTheStartBack) {
    Start();
    window_->Widget()->show();
    Deliver();
    const QImage start = window_->Widget()->grab().toImage();
    QFile file(QDir(ResourceFolder()).filePath("theme_dark.qss"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString dark = QString::fromUtf8(file.readAll());
    for (const char* rule : {"QDialog#ms_1_macro_wnd ", "QScrollBar::handle:vertical",
                             "QWidget#keylistitem QLabel#action", "QMenu "}) {
        EXPECT_TRUE(dark.contains(rule)) << rule;
    }

    MacroStore store(data_);
    store.LoadMacroStore();
    const auto layout = XkbKeyboardLayout::FromNames("us");
    ASSERT_TRUE(layout);
    const HookTable none;
    // Opens the editor as the page does, over the main window; gives its skin's own sheet.
    auto openEditor = [&](QString* skinSheet) {
        auto editor = std::make_unique<CMS_1_Macro>(Skins(), Texts(),
                                                    CMS_1_Macro::Deps{store, none, *layout, data_});
        EXPECT_TRUE(editor->Create(window_->Widget()));
        *skinSheet = editor->Widget()->styleSheet();
        editor->Widget()->show();
        return editor;
    };
    QString skinSheet;
    Find<QAbstractButton>("skin_btn")->click();
    ASSERT_EQ(window_->CurrentTheme(), Theme::Dark);
    {
        const auto editor = openEditor(&skinSheet);
        EXPECT_EQ(editor->Widget()->styleSheet(), skinSheet + "\n" + dark);
    }
    Find<QAbstractButton>("skin_btn")->click();
    ASSERT_EQ(window_->CurrentTheme(), Theme::Light);
    {
        const auto editor = openEditor(&skinSheet);
        EXPECT_EQ(editor->Widget()->styleSheet(), skinSheet);
    }
    Deliver();
    EXPECT_TRUE(window_->Widget()->grab().toImage() == start);
}

}  // namespace
}  // namespace ms1::test
