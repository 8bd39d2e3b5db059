#pragma once

#include <QString>

class QWidget;

namespace ms1::dui {

// Builds widgets from the skin files (Qt Designer UI files under the names the windows use,
// such as "main.xml") in the resource folder "res/" beside the program.
class SkinLoader {
  public:
    explicit SkinLoader(QString resourceFolder);

    const QString& ResourceFolder() const { return folder_; }
    // The widget tree of a skin, or null (with a diagnostic) when the file is missing or
    // cannot be read. The caller owns the result.
    QWidget* Load(const QString& skinFile, QWidget* parent) const;

    // "res/" beside the running program.
    static QString DefaultResourceFolder();

  private:
    QString folder_;
};

}  // namespace ms1::dui
