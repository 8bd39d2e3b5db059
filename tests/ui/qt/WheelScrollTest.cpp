// Turning the mouse wheel over the page scrolls it; the sliders, combo boxes and spin boxes it
// passes over keep their values until the user has clicked one of them.
#include <gtest/gtest.h>

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QStringList>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <cstring>
#include <vector>

#include "app/CMainWnd.h"
#include "app/MousePageWindow.h"
#include "platform/dui/WheelGuard.h"
#include "ports/WindowMessages.h"
#include "tests/ui/qt/QtPageFixtures.h"
#include "tests/ui/qt/RecordingSession.h"
#include "ui/page/CMS_1_Page.h"

namespace ms1::test {
namespace {

std::vector<std::uint8_t> Bytes(const ProfileRecord& record) {
    std::vector<std::uint8_t> bytes(sizeof(ProfileRecord));
    std::memcpy(bytes.data(), &record, sizeof(ProfileRecord));
    return bytes;
}

// The offset of the first byte that differs, or -1.
long FirstDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] != b[i])
            return static_cast<long>(i);
    }
    return a.size() == b.size() ? -1 : static_cast<long>(std::min(a.size(), b.size()));
}

void Turn(QWidget* control, int notches) {
    const QPointF centre(control->width() / 2.0, control->height() / 2.0);
    QWheelEvent wheel(centre, control->mapToGlobal(centre), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(control, &wheel);
}

int ValueOf(QWidget* control) {
    if (auto* slider = qobject_cast<QAbstractSlider*>(control))
        return slider->value();
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->currentIndex();
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(control))
        return spin->text().toInt();
    return 0;
}

class WheelScrollTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        ASSERT_TRUE(temp_.isValid());
        auto session = std::make_unique<RecordingSession>();
        session->connected = true;
        session_ = session.get();
        page_ = std::make_unique<MousePageWindow>(std::filesystem::path(temp_.path().toStdString()),
                                                  std::move(session));
        window_ = std::make_unique<CMainWnd>(Skins(), Texts(),
                                             CMainWnd::Options{"", CMainWnd::Tray::Off});
        window_->RegisterPage(page_.get());
        ASSERT_TRUE(window_->Create());
        window_->Widget()->resize(800, 572);
        window_->Widget()->show();
        Deliver();
        // Every section open, so that the page is long and every control can be reached.
        for (QCheckBox* header : page_->PageWidget()->findChildren<QCheckBox*>()) {
            if (header->property("section").toBool() && !header->isChecked())
                header->click();
        }
        // Both lighting sliders, whichever the lighting mode shows.
        for (const char* panel : {"ms_1_ver_brightness", "ms_1_ver_breathspeed"})
            window_->FindControl(panel)->show();
        Deliver();
        window_->Timers().KillTimer(TIMER_PAGE_DEFERRED);
        settings_ = qobject_cast<QScrollArea*>(window_->FindControl("ms_1_ver_setting"));
        ASSERT_NE(settings_, nullptr);
        settings_->verticalScrollBar()->setValue(0);
        applies_ = session_->applies;
    }
    void TearDown() override {
        window_->UnregisterPage();
        window_.reset();
        page_.reset();
    }
    static void Deliver() {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    std::vector<QWidget*> WheelControls() const {
        std::vector<QWidget*> controls;
        for (QWidget* control : page_->PageWidget()->findChildren<QWidget*>()) {
            if (dui::WheelGuard::Guards(control) && control->isVisible())
                controls.push_back(control);
        }
        return controls;
    }

    QTemporaryDir temp_;
    RecordingSession* session_ = nullptr;
    std::unique_ptr<MousePageWindow> page_;
    std::unique_ptr<CMainWnd> window_;
    QScrollArea* settings_ = nullptr;
    int applies_ = 0;
};

TEST_F(WheelScrollTest, ScrollingOverEveryControlScrollsThePageAndChangesNothing) {
    const std::vector<QWidget*> controls = WheelControls();
    QStringList names;
    for (QWidget* control : controls)
        names << control->objectName();
    for (const char* name :
         {"ms_1_slider_dpi_1", "ms_1_slider_dpi_8", "ms_1_slider_brightness",
          "ms_1_slider_breathspeed", "ms_1_slider_light_off", "ms_1_slider_sleep_timer",
          "ms_1_slider_key_debounce", "ms_1_combo_light"}) {
        EXPECT_TRUE(names.contains(name)) << name;
    }
    ASSERT_GE(controls.size(), 14u);
    ASSERT_GT(settings_->verticalScrollBar()->maximum(), 0) << "the page does not scroll";
    const std::vector<std::uint8_t> before = Bytes(page_->Page()->Working());
    std::vector<int> values;
    for (QWidget* control : controls)
        values.push_back(ValueOf(control));

    int scrolled = 0;
    for (QWidget* control : controls) {
        for (int notches : {-1, -1, 1, -1}) {
            const int at = settings_->verticalScrollBar()->value();
            Turn(control, notches);
            scrolled += settings_->verticalScrollBar()->value() != at ? 1 : 0;
        }
    }
    Deliver();

    EXPECT_GT(scrolled, 0) << "the wheel did not reach the page";
    for (std::size_t i = 0; i < controls.size(); ++i)
        EXPECT_EQ(ValueOf(controls[i]), values[i]) << controls[i]->objectName().toStdString();
    EXPECT_EQ(FirstDifference(Bytes(page_->Page()->Working()), before), -1);
    EXPECT_EQ(session_->applies, applies_);
    EXPECT_EQ(session_->delayedApplies, 0);
}

TEST_F(WheelScrollTest, AClickedSliderTakesTheWheelAndAppliesLater) {
    auto* sleep = qobject_cast<QAbstractSlider*>(window_->FindControl("ms_1_slider_sleep_timer"));
    ASSERT_NE(sleep, nullptr);
    // The wheel alone does not give the focus.
    EXPECT_NE(sleep->focusPolicy() & Qt::WheelFocus, Qt::WheelFocus);
    const int before = sleep->value();
    QApplication::setActiveWindow(window_->Widget());
    sleep->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(sleep->hasFocus());
    const int pageAt = settings_->verticalScrollBar()->value();

    Turn(sleep, 1);
    Deliver();

    EXPECT_NE(sleep->value(), before);
    EXPECT_EQ(static_cast<int>(page_->Page()->Working().sleepTimer), sleep->value());
    EXPECT_GT(session_->delayedApplies, 0);
    EXPECT_EQ(settings_->verticalScrollBar()->value(), pageAt);
}

}  // namespace
}  // namespace ms1::test
