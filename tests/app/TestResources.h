#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QString>
#include <memory>

#include "platform/dui/LanguageTexts.h"
#include "platform/dui/SkinLoader.h"

namespace ms1 {

// The program folder the build made: MS1_PROGRAM_DIR when set, else bin/ beside the tests'
// folder (the tests land in build/tests, the program in build/bin).
inline QString ProgramFolder() {
    const QString folder = qEnvironmentVariable("MS1_PROGRAM_DIR");
    if (!folder.isEmpty()) {
        return folder;
    }
    return QDir(QCoreApplication::applicationDirPath() + "/../bin").absolutePath();
}

inline std::shared_ptr<dui::SkinLoader> ProgramSkins() {
    return std::make_shared<dui::SkinLoader>(QDir(ProgramFolder()).filePath("res"));
}

inline std::shared_ptr<dui::LanguageTexts> ProgramTexts() {
    auto texts = std::make_shared<dui::LanguageTexts>();
    texts->Load(QDir(ProgramFolder()).filePath("res/lan.xml"));
    return texts;
}

}  // namespace ms1
