#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <memory>

#include "platform/dui/DuiWindow.h"
#include "platform/dui/LanguageTexts.h"
#include "platform/dui/SkinLoader.h"
#include "tests/support/QtTestApp.h"

namespace ms1::dialogtest {

// The executable's one application object, offscreen unless the environment says otherwise.
inline QApplication& DialogApp() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    return TestApp();
}

// The skins and language texts as the program finds them: res/ in the program folder.
inline QString ResourceFolder() {
    const char* program = std::getenv("MS1_PROGRAM_DIR");
    return QString::fromLocal8Bit(program != nullptr ? program : MS1_TEST_PROGRAM_DIR) +
           QStringLiteral("/res");
}

inline std::shared_ptr<const dui::SkinLoader> Skins() {
    DialogApp();
    return std::make_shared<const dui::SkinLoader>(ResourceFolder());
}

inline std::shared_ptr<const dui::LanguageTexts> Texts() {
    auto texts = std::make_shared<dui::LanguageTexts>();
    texts->Load(ResourceFolder() + QStringLiteral("/lan.xml"));
    return texts;
}

// A window to own the dialogs, as the main window does in the program.
class OwnerWindow : public dui::DuiWindow {
  public:
    OwnerWindow() : DuiWindow(dialogtest::Skins(), dialogtest::Texts()) {}
    ~OwnerWindow() override {
        // As in the dialogs: no caption filter while the base deletes the widget tree.
        if (QWidget* caption = FindControl(QStringLiteral("caption"))) {
            caption->removeEventFilter(this);
        }
    }

  protected:
    QString GetSkinFile() const override { return QStringLiteral("msg.xml"); }
};

// Types into a control as the keyboard would: a press and a release per character.
inline void TypeKey(QWidget* control, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(control, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(control, &release);
}

inline void TypeText(QWidget* control, const QString& text) {
    for (QChar character : text) {
        // Qt's key codes of letters and digits are their upper-case characters.
        TypeKey(control, character.toUpper().unicode(), QString(character));
    }
}

// Once the dialog with this object name is up, lets `act` work on it and then presses the
// button `buttonName`.
template <typename Act>
void PressWhenShown(const QString& dialogName, const QString& buttonName, Act act) {
    QTimer::singleShot(0, [dialogName, buttonName, act] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == dialogName && top->isVisible()) {
                act(top);
                if (auto* button = top->findChild<QAbstractButton*>(buttonName)) {
                    button->click();
                }
                return;
            }
        }
        // Never leave a test waiting in a modal loop: end it unanswered.
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
        }
    });
}

inline void PressWhenShown(const QString& dialogName, const QString& buttonName) {
    PressWhenShown(dialogName, buttonName, [](QWidget*) {});
}

}  // namespace ms1::dialogtest
