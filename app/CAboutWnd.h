#pragma once

#include <QString>
#include <QUrl>
#include <functional>

#include "platform/dui/DuiWindow.h"

namespace ms1 {

// The About box of the main menu (skin "about.xml"): the program's name and version, its
// licence, and the data folder with a button that opens it in the desktop's file manager.
class CAboutWnd : public dui::DuiWindow {
    Q_OBJECT
  public:
    // Opens a folder for the user; the desktop's handler unless a test gives another.
    using FolderOpener = std::function<bool(const QUrl&)>;

    CAboutWnd(std::shared_ptr<const dui::SkinLoader> skins,
              std::shared_ptr<const dui::LanguageTexts> texts, QString dataFolder,
              FolderOpener openFolder = {});

  protected:
    QString GetSkinFile() const override { return QStringLiteral("about.xml"); }
    void InitWindow() override;
    void Notify(const dui::TNotify& notify) override;

  private:
    QString dataFolder_;
    FolderOpener openFolder_;
    QWidget* okButton_ = nullptr;
    QWidget* openFolderButton_ = nullptr;
};

// Shows the box modally over the owner window.
void ShowAboutBox(const dui::DuiWindow& owner, const QString& dataFolder);

}  // namespace ms1
