#pragma once

#include <QApplication>
#include <QDir>
#include <QString>
#include <cstdlib>
#include <memory>

#include "platform/dui/LanguageTexts.h"
#include "platform/dui/SkinLoader.h"
#include "tests/support/QtTestApp.h"

namespace ms1::test {

// res/ of the built program, with the skins, the language file and the pictures.
inline QString ResourceFolder() {
    const char* program = std::getenv("MS1_PROGRAM_DIR");
    return QDir(QString::fromLocal8Bit(program != nullptr ? program : "build/bin")).filePath("res");
}

inline std::shared_ptr<dui::SkinLoader> Skins() {
    return std::make_shared<dui::SkinLoader>(ResourceFolder());
}

// The language file, with the translation of MS1_TEST_LOCALE over it when a run names one
// ("de_DE.UTF-8"); English otherwise, whatever the locale of the machine.
inline std::shared_ptr<dui::LanguageTexts> Texts() {
    auto texts = std::make_shared<dui::LanguageTexts>();
    texts->LoadForLocale(ResourceFolder(), qEnvironmentVariable("MS1_TEST_LOCALE"));
    return texts;
}

}  // namespace ms1::test
