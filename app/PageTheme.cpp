#include "app/PageTheme.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QPointer>
#include <QWidget>

#include "platform/dui/DuiWindow.h"

namespace ms1 {
namespace {

// Where each widget keeps the sheet its skin gave it.
const char* const kSkinSheet = "_ms1_skin_sheet";

void ApplyToSkins(QWidget* window, Theme theme, const QString& darkSheet) {
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* widget : widgets) {
        // Only the skins' own sheets: controls carry sheets the program sets (colours).
        if (!widget->property(dui::DuiWindow::kSkinRootProperty).toBool())
            continue;
        QVariant skinSheet = widget->property(kSkinSheet);
        if (!skinSheet.isValid()) {
            skinSheet = widget->styleSheet();
            widget->setProperty(kSkinSheet, skinSheet);
        }
        const QString light = skinSheet.toString();
        const QString wanted = theme == Theme::Dark ? light + "\n" + darkSheet : light;
        if (widget->styleSheet() != wanted)
            widget->setStyleSheet(wanted);
    }
}

// Windows opened after the style was chosen (the macro editor) take it as they are shown: their own
// skin sheet would otherwise win over the dark one of the main window.
class ThemeFollower final : public QObject {
  public:
    explicit ThemeFollower(QObject* parent) : QObject(parent) {}

    void Follow(QWidget* window, Theme theme, const QString& darkSheet) {
        main_ = window;
        theme_ = theme;
        darkSheet_ = darkSheet;
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && main_ != nullptr) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget != nullptr && widget->isWindow() && widget != main_ &&
                widget->property(dui::DuiWindow::kSkinRootProperty).toBool() && Covered(widget)) {
                ApplyToSkins(widget, theme_, darkSheet_);
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    // The windows the dark sheet has rules for (it names them by "#name"); others keep their
    // skin's look in both styles.
    bool Covered(const QWidget* window) const {
        const QString name = window->objectName();
        return !name.isEmpty() && darkSheet_.contains(QLatin1Char('#') + name + QLatin1Char(' '));
    }

    QPointer<QWidget> main_;
    Theme theme_ = Theme::Light;
    QString darkSheet_;
};

ThemeFollower* Follower() {
    static QPointer<ThemeFollower> follower;
    if (follower == nullptr && qApp != nullptr) {
        follower = new ThemeFollower(qApp);
        qApp->installEventFilter(follower);
    }
    return follower;
}

}  // namespace

QString LoadDarkSheet(const QString& resourceFolder) {
    QFile file(QDir(resourceFolder).filePath(QStringLiteral("theme_dark.qss")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void ApplyTheme(QWidget* window, Theme theme, const QString& darkSheet) {
    if (window == nullptr)
        return;
    ApplyToSkins(window, theme, darkSheet);
    if (ThemeFollower* follower = Follower())
        follower->Follow(window, theme, darkSheet);
}

}  // namespace ms1
