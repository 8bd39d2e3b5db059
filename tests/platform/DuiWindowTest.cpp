#include "platform/dui/DuiWindow.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include "platform/dui/ControlOps.h"
#include "platform/dui/LanguageTexts.h"
#include "platform/dui/MenuSkin.h"
#include "platform/dui/MenuWindow.h"
#include "tests/support/QtTestApp.h"

namespace ms1::dui {
namespace {

constexpr int kWaitMs = 5000;

const char* const kWindowSkin = R"(<ui version="4.0"><widget class="QWidget" name="test_wnd">
 <layout class="QVBoxLayout" name="l">
  <item><widget class="QLabel" name="title"><property name="text"><string>warning_title_text</string></property>
        <property name="resourcetext" stdset="0"><bool>true</bool></property></widget></item>
  <item><widget class="QLabel" name="plain"><property name="text"><string>warning_title_text</string></property></widget></item>
  <item><widget class="QPushButton" name="own_btn"/></item>
  <item><widget class="QWidget" name="caption"/></item>
  <item><widget class="QWidget" name="page_host">
        <property name="virtualwnd" stdset="0"><string>MS_1_Page</string></property></widget></item>
 </layout></widget></ui>)";

const char* const kPageSkin = R"(<ui version="4.0"><widget class="QWidget" name="page">
 <layout class="QVBoxLayout" name="l">
  <item><widget class="QPushButton" name="ms_1_apply_btn"/></item>
  <item><widget class="QLabel" name="ms_1_low_power_label"/></item>
  <item><widget class="QProgressBar" name="ms_1_progress_power"/></item>
 </layout></widget></ui>)";

class TestWindow : public DuiWindow {
  public:
    using DuiWindow::DuiWindow;
    std::vector<TNotify> own;

  protected:
    QString GetSkinFile() const override { return "test.xml"; }
    void Notify(const dui::TNotify& notify) override {
        if (notify.virtualWindow.isEmpty()) {
            own.push_back(notify);
        }
        DuiWindow::Notify(notify);
    }
};

class DuiWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        ASSERT_TRUE(folder_.isValid());
        Write("test.xml", kWindowSkin);
        Write("page.xml", kPageSkin);
        auto texts = std::make_shared<LanguageTexts>();
        ASSERT_TRUE(
            texts->Parse(R"(<language><text key="warning_title_text">Warning</text></language>)"));
        window_ = std::make_unique<TestWindow>(std::make_shared<SkinLoader>(folder_.path()), texts);
        ASSERT_TRUE(window_->Create());
    }
    void Write(const char* name, const char* content) {
        QFile file(folder_.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QTemporaryDir folder_;
    std::unique_ptr<TestWindow> window_;
};

TEST_F(DuiWindowTest, ResourceTextControlsShowTheLanguageTextOfTheirKey) {
    EXPECT_EQ(Text(window_->FindControl("title")), "Warning");
    EXPECT_EQ(Text(window_->FindControl("plain")), "warning_title_text");
    window_->SetText(window_->FindControl("title"), "unknown_key_text");
    EXPECT_EQ(Text(window_->FindControl("title")), "unknown_key_text");  // a gap stays visible
    window_->SetText(window_->FindControl("plain"), "warning_title_text");
    EXPECT_EQ(Text(window_->FindControl("plain")), "warning_title_text");
    EXPECT_EQ(window_->FindControl("no_such_control"), nullptr);
    window_->SetText(nullptr, "ignored");  // a control missing from the skin is skipped
}

TEST_F(DuiWindowTest, PageSkinLoadedIntoTheHostNotifiesItsVirtualWindow) {
    QWidget* page = window_->LoadInto(window_->FindControl("page_host"), "page.xml");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(window_->LoadInto(window_->FindControl("page_host"), "missing.xml"), nullptr);

    std::vector<TNotify> forPage;
    window_->AddVirtualWnd("MS_1_Page", [&](const TNotify& notify) { forPage.push_back(notify); });
    window_->FindControlAs<QPushButton>("ms_1_apply_btn")->click();
    window_->FindControlAs<QPushButton>("own_btn")->click();
    ASSERT_EQ(forPage.size(), 1u);
    EXPECT_EQ(forPage[0].sender, "ms_1_apply_btn");
    ASSERT_EQ(window_->own.size(), 1u);
    EXPECT_EQ(window_->own[0].sender, "own_btn");

    window_->RemoveVirtualWnd("MS_1_Page");
    window_->FindControlAs<QPushButton>("ms_1_apply_btn")->click();
    EXPECT_EQ(forPage.size(), 1u);
    EXPECT_EQ(window_->own.size(), 1u);  // nor does it fall to the window
}

// What reaches the caption area: mouse events at a point on the screen, and others that are
// no mouse events at all (a wheel turn, the pointer leaving).
struct CaptionEvent {
    QEvent::Type type;
    QPoint global;
    Qt::MouseButton button = Qt::LeftButton;
};

void SendToCaption(QWidget* caption, const CaptionEvent& e) {
    const QPointF local = caption->mapFromGlobal(QPointF(e.global));
    if (e.type == QEvent::Wheel) {
        QWheelEvent wheel(local, QPointF(e.global), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(caption, &wheel);
    } else if (e.type == QEvent::Leave) {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(caption, &leave);
    } else {
        const Qt::MouseButton button = e.type == QEvent::MouseMove ? Qt::NoButton : e.button;
        const Qt::MouseButtons held =
            e.type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : Qt::MouseButtons(e.button);
        QMouseEvent mouse(e.type, local, QPointF(e.global), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(caption, &mouse);
    }
}

TEST_F(DuiWindowTest, DraggingTheCaptionMovesTheWindowAndOtherEventsPassThrough) {
    constexpr auto Press = QEvent::MouseButtonPress;
    constexpr auto Move = QEvent::MouseMove;
    constexpr auto Release = QEvent::MouseButtonRelease;
    constexpr auto Wheel = QEvent::Wheel;
    constexpr auto Leave = QEvent::Leave;
    struct Row {
        const char* what;
        std::vector<CaptionEvent> events;
        QPoint endsAt;  // the window starts at (200, 200)
    };
    const Row rows[] = {
        {"left drag", {{Press, {100, 100}}, {Move, {130, 90}}}, {230, 190}},
        {"two moves", {{Press, {100, 100}}, {Move, {110, 100}}, {Move, {90, 150}}}, {190, 250}},
        {"right button", {{Press, {100, 100}, Qt::RightButton}, {Move, {130, 90}}}, {200, 200}},
        {"move alone", {{Move, {130, 90}}}, {200, 200}},
        {"after release",
         {{Press, {100, 100}}, {Release, {100, 100}}, {Move, {130, 90}}},
         {200, 200}},
        {"wheel and leave mid-drag",
         {{Press, {100, 100}}, {Wheel, {105, 105}}, {Leave, {}}, {Move, {130, 90}}},
         {230, 190}},
        {"no mouse events", {{Wheel, {100, 100}}, {Leave, {}}, {Wheel, {130, 90}}}, {200, 200}},
    };
    QWidget* caption = window_->FindControl("caption");
    ASSERT_NE(caption, nullptr);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        window_->Widget()->move(200, 200);
        for (const CaptionEvent& e : row.events)
            SendToCaption(caption, e);
        EXPECT_EQ(window_->Widget()->pos(), row.endsAt);
        SendToCaption(caption, {Release, {}});
    }
}

TEST_F(DuiWindowTest, ControlTimersRaiseTimerNotificationsUntilKilled) {
    ASSERT_NE(window_->LoadInto(window_->FindControl("page_host"), "page.xml"), nullptr);
    std::vector<TNotify> forPage;
    window_->AddVirtualWnd("MS_1_Page", [&](const TNotify& notify) {
        forPage.push_back(notify);
        if (forPage.size() == 3) {
            window_->KillControlTimer(notify.control, static_cast<int>(notify.wParam));
            window_->SetControlTimer(notify.control, 51, 1);
        } else if (notify.wParam == 51) {
            window_->KillControlTimer(notify.control, 51);
        }
    });
    window_->SetControlTimer(window_->FindControl("ms_1_low_power_label"), 50, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return forPage.size() == 4; }, kWaitMs));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(forPage[i].type, "timer");
        EXPECT_EQ(forPage[i].wParam, 50u);
        EXPECT_EQ(forPage[i].sender, "ms_1_low_power_label");
    }
    EXPECT_EQ(forPage[3].wParam, 51u);
}

TEST(ControlOpsTest, ValuesColoursImagesAttributesAndTabs) {
    TestApp();
    QProgressBar bar;
    SetRange(&bar, 0, 100);
    SetValue(&bar, 64, false);
    EXPECT_EQ(Value(&bar), 64);

    QPushButton colour;
    colour.setStyleSheet("border: 1px solid black;");
    SetBkColor(&colour, 0xFF1E90FF);
    SetBkColor(&colour, 0xFFFF0000);  // replaces, does not pile up
    EXPECT_EQ(colour.property("bkcolor").value<QColor>(), QColor(255, 0, 0));
    EXPECT_EQ(colour.styleSheet().count("background-color"), 1);
    EXPECT_TRUE(colour.styleSheet().startsWith("border: 1px solid black;"));

    QWidget picture;
    SetBkImage(&picture, "/opt/ms1/res", "skins/ms_1/mouse_4.png");
    EXPECT_EQ(picture.property("bkimage").toString(), "skins/ms_1/mouse_4.png");
    EXPECT_TRUE(picture.styleSheet().contains("/opt/ms1/res/skins/ms_1/mouse_4.png"));

    QWidget strip;
    auto* banner = new QLabel(&strip);
    banner->move(300, 100);
    SetAttribute(banner, "padding", "-212,-82,0,0");
    EXPECT_EQ(banner->pos(), QPoint(88, 18));
    SetAttribute(banner, "padding", "-210,-82,0,0");  // from the skin's place, not cumulative
    EXPECT_EQ(banner->pos(), QPoint(90, 18));
    SetAttribute(banner, "padding", "bad");  // ignored
    EXPECT_EQ(banner->pos(), QPoint(90, 18));
    EXPECT_EQ(banner->property("padding").toString(), "bad");

    QWidget row;
    auto* layout = new QHBoxLayout(&row);
    auto* inLayout = new QLabel(&row);
    layout->addWidget(inLayout);
    SetAttribute(inLayout, "padding", "-5,4,3,2");
    EXPECT_EQ(inLayout->contentsMargins(), QMargins(0, 4, 3, 2));

    QListWidget list;
    AddItem(&list, "Profile1", 22);
    AddItem(&list, "Profile2", 22);
    SetItemText(&list, 1, "Work");
    SetItemText(&list, 5, "ignored");
    EXPECT_EQ(list.item(1)->text(), "Work");
    EXPECT_EQ(list.item(0)->sizeHint().height(), 22);
    RemoveItem(&list, 0);
    EXPECT_EQ(ItemCount(&list), 1);
    RemoveAllItems(&list);
    EXPECT_EQ(ItemCount(&list), 0);

    QScrollArea area;
    auto* tall = new QWidget;
    tall->setMinimumHeight(2000);
    area.setWidget(tall);
    area.resize(200, 200);
    area.show();
    ScrollToEnd(&area);
    EXPECT_GT(area.verticalScrollBar()->value(), 0);
    EXPECT_EQ(area.verticalScrollBar()->value(), area.verticalScrollBar()->maximum());

    // Every operation accepts a missing control.
    SetVisible(nullptr, true);
    SelectTab(nullptr, 1);
    EXPECT_EQ(SelectedTab(nullptr), -1);
    EXPECT_FALSE(IsSelected(nullptr));
    EXPECT_EQ(Text(nullptr), "");
}

TEST(LanguageTextsTest, ParsesKeysAndRefusesBrokenFiles) {
    LanguageTexts texts;
    ASSERT_TRUE(texts.Parse(R"(<?xml version="1.0" encoding="UTF-8"?>
        <language name="English">
          <!-- a comment -->
          <text key="sleep_timer_1_text">Lights off after </text>
          <text key="charging_text">Charging &amp; more</text>
          <text key="">no key: skipped</text>
          <text key="empty_text"></text>
        </language>)"));
    EXPECT_EQ(texts.Text("sleep_timer_1_text"), "Lights off after ");  // spaces kept
    EXPECT_EQ(texts.Text("charging_text"), "Charging & more");
    EXPECT_TRUE(texts.Contains("empty_text"));
    EXPECT_EQ(texts.Text("empty_text"), "");
    EXPECT_EQ(texts.Text("missing_text"), "missing_text");
    EXPECT_EQ(texts.Size(), 3);

    EXPECT_FALSE(texts.Parse("<language><text key=\"a\">unterminated</language>"));
    EXPECT_EQ(texts.Size(), 0);
    EXPECT_FALSE(texts.Load("/nonexistent/lan.xml"));
}

TEST(MenuWindowTest, ItemsOfNestedMenusPostTheirNamesToTheOwner) {
    TestApp();
    MessageHub owner;
    std::vector<Message> posted;
    owner.SetHandler([&](const Message& message) {
        posted.push_back(message);
        return true;
    });
    LanguageTexts texts;
    texts.Parse(R"(<language><text key="exit_text">Quit</text></language>)");
    MenuWindow menu(owner, &texts);
    ASSERT_TRUE(menu.Parse(R"(<menu>
        <item name="ms_1_left_click" text="Left click"/>
        <separator/>
        <menu name="ms_1_media" text="Media">
          <item name="ms_1_mute"/>
        </menu>
        <item name="exit" textid="exit_text"/>
      </menu>)"));
    EXPECT_EQ(menu.ItemNames(), (QStringList{"ms_1_left_click", "ms_1_mute", "exit"}));
    QAction* exitAction = menu.Menu()->findChild<QAction*>("exit");
    ASSERT_NE(exitAction, nullptr);
    EXPECT_EQ(exitAction->text(), "Quit");

    for (QAction* action : menu.Menu()->findChildren<QAction*>()) {
        if (action->objectName() == "ms_1_mute") {
            EXPECT_EQ(action->text(), "ms_1_mute");  // no text: the name shows
            action->trigger();
        }
    }
    exitAction->trigger();
    QCoreApplication::sendPostedEvents(&owner);
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].number, 1027u);
    EXPECT_NE(posted[0].wParam, 0u);
    EXPECT_EQ(posted[0].text, "ms_1_mute");
    EXPECT_EQ(posted[1].text, "exit");

    // A broken menu file keeps the menu that was there.
    EXPECT_FALSE(menu.Parse("<menu><item name=\"x\">"));
    EXPECT_EQ(menu.ItemNames().size(), 3);
}

// Each entry with its kind, the entry that holds it and its caption, as "kind parent caption".
TEST(MenuSkinTest, EntriesComeInFileOrderWithTheSubMenuThatHoldsThem) {
    LanguageTexts texts;
    texts.Parse(R"(<language><text key="exit_text">Quit</text></language>)");
    struct Row {
        const char* skin;
        QStringList entries;  // empty for a skin that cannot be read
    };
    const Row rows[] = {
        {R"(<menu><item name="a" text="A"/><separator/><item name="exit" textid="exit_text"/></menu>)",
         {"item -1 A", "separator -1 ", "item -1 Quit"}},
        {R"(<menu><menu name="m" text="M"><item name="b"/><menu name="n"><separator/></menu></menu>
            <item name="c"/></menu>)",
         {"menu -1 M", "item 0 b", "menu 0 n", "separator 2 ", "item -1 c"}},
        // Items outside any menu are skipped; a second menu adds to the first.
        {R"(<root><item name="x"/><menu><item name="a"/></menu><menu><item name="b"/></menu></root>)",
         {"item -1 a", "item -1 b"}},
        {R"(<menu><item name="unknown" textid="missing_text"/></menu>)", {"item -1 missing_text"}},
        {R"(<menu><item name="x">)", {}},
        {"", {}},
    };
    for (const Row& row : rows) {
        const MenuSkin skin = ReadMenuSkin(row.skin, &texts);
        QStringList entries;
        for (const MenuEntry& entry : skin.entries) {
            const char* kind = entry.kind == MenuEntry::Kind::Item      ? "item"
                               : entry.kind == MenuEntry::Kind::SubMenu ? "menu"
                                                                        : "separator";
            entries << QString("%1 %2 %3").arg(kind).arg(entry.parent).arg(entry.caption);
        }
        EXPECT_EQ(skin.readable, !row.entries.isEmpty()) << row.skin;
        EXPECT_EQ(skin.error.isEmpty(), skin.readable) << row.skin;
        EXPECT_EQ(entries, row.entries) << row.skin;
    }
}

}  // namespace
}  // namespace ms1::dui
