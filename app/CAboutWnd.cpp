#include "app/CAboutWnd.h"

#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QWidget>

#include "platform/DebugLog.h"

namespace ms1 {

CAboutWnd::CAboutWnd(std::shared_ptr<const dui::SkinLoader> skins,
                     std::shared_ptr<const dui::LanguageTexts> texts, QString dataFolder,
                     FolderOpener openFolder)
    : DuiWindow(std::move(skins), std::move(texts)),
      dataFolder_(std::move(dataFolder)),
      openFolder_(openFolder ? std::move(openFolder) : FolderOpener([](const QUrl& url) {
          return QDesktopServices::openUrl(url);
      })) {}

void CAboutWnd::InitWindow() {
    okButton_ = FindControl("btn_ok");
    openFolderButton_ = FindControl("about_open_folder_btn");
    if (auto* version = FindControlAs<QLabel>("about_version")) {
        version->setText(LanguageText("about_version_text")
                             .replace(QStringLiteral("%s"), QStringLiteral(MS1_VERSION)));
    }
    if (auto* folder = FindControlAs<QLabel>("about_data_folder")) {
        folder->setText(QDir::toNativeSeparators(dataFolder_));
        folder->setToolTip(folder->text());
    }
    if (openFolderButton_ != nullptr)
        openFolderButton_->setEnabled(!dataFolder_.isEmpty());
    Widget()->setWindowTitle(LanguageText("about_text"));
}

void CAboutWnd::Notify(const dui::TNotify& notify) {
    if (notify.type != u"click" || notify.control == nullptr)
        return;
    if (notify.control == okButton_) {
        Close(1);
    } else if (notify.control == openFolderButton_ && !dataFolder_.isEmpty()) {
        if (!openFolder_(QUrl::fromLocalFile(dataFolder_))) {
            // No file manager took it (none installed, or none for folders): say where the
            // folder is, in a line that can be selected and copied.
            qCWarning(lcMs1) << "the data folder could not be opened:" << dataFolder_;
            if (auto* failed = FindControlAs<QLabel>("about_open_failed")) {
                failed->setText(
                    LanguageText("about_open_failed_text")
                        .replace(QStringLiteral("%s"), QDir::toNativeSeparators(dataFolder_)));
                failed->setVisible(true);
            }
        }
    }
}

void ShowAboutBox(const dui::DuiWindow& owner, const QString& dataFolder) {
    CAboutWnd box(owner.SharedSkins(), owner.SharedTexts(), dataFolder);
    if (!box.Create(owner.Widget())) {
        qCWarning(lcMs1) << "the About box skin is missing";
        return;
    }
    box.Widget()->setWindowModality(Qt::ApplicationModal);
    box.CenterOnScreen();
    box.ShowModal();
}

}  // namespace ms1
