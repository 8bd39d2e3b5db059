// lan.xml, the language file every window takes its texts from.
#include <QByteArray>
#include <QString>

#include "fuzz/FuzzInput.h"
#include "platform/dui/LanguageTexts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using ms1::dui::LanguageTexts;
    const QByteArray xml(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    LanguageTexts texts;
    const bool read = texts.Parse(xml);
    // A file that cannot be read leaves no texts, and a key without a text shows as itself.
    MS1_FUZZ_CHECK(read || texts.Size() == 0);
    MS1_FUZZ_CHECK(!texts.Contains(QString()));
    const QString absent = QStringLiteral("ms1_fuzz_absent_text");
    MS1_FUZZ_CHECK(texts.Contains(absent) || texts.Text(absent) == absent);

    // The same file reads the same way again; a broken one after it takes the texts away.
    LanguageTexts again;
    MS1_FUZZ_CHECK(again.Parse(xml) == read && again.Size() == texts.Size());
    MS1_FUZZ_CHECK(!again.Parse(xml + "<") || !read);
    MS1_FUZZ_CHECK(!texts.Parse("<language><text key=\"k\">") && texts.Size() == 0);
    return 0;
}
