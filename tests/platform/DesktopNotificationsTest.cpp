// The desktop notifications over D-Bus against a stand-in notification daemon on a private
// session bus: the calls the daemon takes and their texts, told by the rules from what the
// program sees; a daemon that does not answer or is not there, and no bus at all.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStringList>
#include <memory>

#include "platform/DesktopNotifications.h"
#include "tests/platform/NotificationDaemon.h"
#include "tests/support/Recorded.h"
#include "tests/support/TableTexts.h"
#include "ui/NotificationRules.h"

namespace ms1 {
namespace {

using test::NotificationDaemon;

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "ms1_notification_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}

struct Answer {
    bool shown;
    QString why;
};

class DesktopNotificationsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        const QString missing = NotificationDaemon::Missing();
        if (!missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
        const QString why = daemon_.StartBus();
        ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    }
    void StartDaemon() {
        const QString why = daemon_.StartDaemon();
        ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    }
    std::unique_ptr<DesktopNotifications> Notifications(const QString& address) {
        auto notifications = std::make_unique<DesktopNotifications>("ms1", "ms1", address);
        notifications->SetOnAnswer([this](bool shown, const QString& why) {
            answers_.Add({shown, why});
        });
        return notifications;
    }
    // Summary and body of each Notify call the daemon took, from the `from`th on.
    QStringList Told(std::size_t from = 0) {
        QStringList told;
        const std::vector<QVariantList> calls = daemon_.NotifyCalls();
        for (std::size_t i = from; i < calls.size(); ++i)
            told << calls[i].value(3).toString() + " | " + calls[i].value(4).toString();
        return told;
    }

    NotificationDaemon daemon_;
    test::Recorded<Answer> answers_;
};

// A step of what the program sees, played on the rules.
struct Step {
    enum Kind { Hidden, Shown, Level, Charging, Rule, Unconfirmed, AllOff } kind;
    int level = 0;
};

struct Row {
    const char* name;
    std::vector<Step> steps;
    QStringList told;
};

TEST_F(DesktopNotificationsTest, TheDaemonIsToldOncePerDischargeWithTheLanguageTexts) {
    StartDaemon();
    auto notifications = Notifications(daemon_.Address());
    const test::TableTexts texts({
        {"notice_battery_low_title", u"Mouse battery low"},
        {"notice_battery_low_text", u"%s% left. Connect the cable to charge the mouse."},
        {"notice_rule_switch_title", u"Profile switched"},
        {"notice_rule_switch_text", u"Profile %1 for %2"},
        {"notice_unconfirmed_title", u"Settings not confirmed"},
        {"notice_unconfirmed_text", u"The mouse did not confirm the last change."},
    });
    const QString low10 = "Mouse battery low | 10% left. Connect the cable to charge the mouse.";
    const QString low7 = "Mouse battery low | 7% left. Connect the cable to charge the mouse.";
    const Row rows[] = {
        {"two discharges, the window hidden",
         {{Step::Hidden},
          {Step::Level, 50},
          {Step::Level, 10},
          {Step::Level, 10},
          {Step::Level, 9},
          {Step::Charging},
          {Step::Level, 7},
          {Step::Level, 6}},
         {low10, low7}},
        {"shown, then hidden",
         {{Step::Shown}, {Step::Level, 10}, {Step::Hidden}, {Step::Level, 10}, {Step::Level, 9}},
         {low10}},
        {"a rule's switch and an unconfirmed apply",
         {{Step::Hidden}, {Step::Rule}, {Step::Unconfirmed}},
         {"Profile switched | Profile Work for firefox",
          "Settings not confirmed | The mouse did not confirm the last change."}},
        {"all off", {{Step::Hidden}, {Step::AllOff}, {Step::Level, 5}, {Step::Rule}}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::size_t before = daemon_.NotifyCalls().size();
        answers_.Clear();
        NotificationRules rules(*notifications, texts);
        for (const Step& step : row.steps) {
            switch (step.kind) {
                case Step::Hidden:
                case Step::Shown:
                    rules.SetWindowShown(step.kind == Step::Shown);
                    break;
                case Step::Level:
                    rules.BatteryLevel(step.level);
                    break;
                case Step::Charging:
                    rules.BatteryCharging();
                    break;
                case Step::Rule:
                    rules.ProfileSwitchedByRule(u"firefox", u"Work");
                    break;
                case Step::Unconfirmed:
                    rules.ApplyFinished(false);
                    break;
                case Step::AllOff:
                    rules.SetSettings({false, true});
                    break;
            }
        }
        // One more after them: once it is answered, every one before it was taken.
        notifications->Show(u"end", u"");
        ASSERT_TRUE(answers_.WaitForSize(static_cast<std::size_t>(row.told.size()) + 1));
        QStringList expected = row.told;
        expected << "end | ";
        EXPECT_EQ(Told(before), expected);
        for (const Answer& answer : answers_.All())
            EXPECT_TRUE(answer.shown) << answer.why.toStdString();
    }
    // Every call names the program and its icon, and leaves the time to the daemon.
    for (const QVariantList& call : daemon_.NotifyCalls()) {
        ASSERT_EQ(call.size(), 8);
        EXPECT_EQ(call[0].toString(), "ms1");
        EXPECT_EQ(call[1].toUInt(), 0u);
        EXPECT_EQ(call[2].toString(), "ms1");
        EXPECT_EQ(call[7].toInt(), -1);
    }
}

TEST_F(DesktopNotificationsTest, ADaemonThatDoesNotAnswerHoldsNothingUp) {
    StartDaemon();
    auto notifications = Notifications(daemon_.Address());
    daemon_.Pause();
    notifications->Show(u"first", u"one");
    notifications->Show(u"second", u"two");
    // Both calls returned while the daemon could not have answered either.
    EXPECT_EQ(answers_.Size(), 0u);
    daemon_.Resume();
    ASSERT_TRUE(answers_.WaitForSize(2));
    EXPECT_EQ(Told(), (QStringList{"first | one", "second | two"}));
}

TEST_F(DesktopNotificationsTest, NoDaemonOrNoBusShowsNothingAndSaysWhy) {
    struct Case {
        const char* name;
        QString address;
        const char* why;  // how the answer's reason starts
    };
    const Case cases[] = {
        {"no daemon on the bus", daemon_.Address(), "The name org.freedesktop.Notifications"},
        {"no bus", "unix:path=/nonexistent/ms1-test-bus", "no session bus"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        answers_.Clear();
        auto notifications = Notifications(row.address);
        notifications->Show(u"Mouse battery low", u"10% left.");
        notifications->Show(u"Mouse battery low", u"9% left.");
        ASSERT_TRUE(answers_.WaitForSize(2));
        for (const Answer& answer : answers_.All()) {
            EXPECT_FALSE(answer.shown);
            EXPECT_TRUE(answer.why.startsWith(row.why)) << answer.why.toStdString();
        }
    }
}

}  // namespace
}  // namespace ms1
