// Every text a skin shows is a language key, so that it follows the user's language: a
// control's text, tooltip, placeholder or combo items are keys of lan.xml when the control
// says so ("resourcetext", "resourcetip", "resourceplaceholder"), and otherwise hold no words,
// only numbers, signs and units. Every entry of a menu skin names its text by a key too.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <vector>

#include "platform/dui/LanguageTexts.h"
#include "tests/app/TestResources.h"

namespace ms1 {
namespace {

// Words that are the same in every language: units and names.
bool HasWords(const QString& text) {
    static const QSet<QString> kSame = {"Hz", "GHz", "ms", "DPI"};
    static const QRegularExpression word("\\p{L}{2,}");
    for (auto it = word.globalMatch(text); it.hasNext();) {
        if (!kSame.contains(it.next().captured()))
            return true;
    }
    return false;
}

struct Shown {
    QString property;  // text, toolTip, placeholderText, windowTitle or item
    QString value;
};

struct Control {
    QString name;
    QSet<QString> keyed;  // the dynamic properties that make texts keys
    std::vector<Shown> shown;
};

// What is wrong with one control: a key lan.xml lacks, or words that are no key.
void Judge(const Control& control, const dui::LanguageTexts& english, QStringList& problems) {
    static const QHash<QString, QString> kKeyedBy = {{"text", "resourcetext"},
                                                     {"item", "resourcetext"},
                                                     {"toolTip", "resourcetip"},
                                                     {"placeholderText", "resourceplaceholder"}};
    for (const Shown& shown : control.shown) {
        const QString what = control.name + " " + shown.property + " \"" + shown.value + "\"";
        if (control.keyed.contains(kKeyedBy.value(shown.property))) {
            if (!english.Contains(shown.value))
                problems << what + ": no such key";
        } else if (HasWords(shown.value)) {
            problems << what + ": not a key";
        }
    }
}

// The problems of a Qt Designer skin.
QStringList UiSkinProblems(const QByteArray& xml, const dui::LanguageTexts& english) {
    static const QSet<QString> kShownProperties = {"text", "toolTip", "placeholderText",
                                                   "windowTitle"};
    QStringList problems;
    QXmlStreamReader reader(xml);
    QStringList path;  // the open elements
    std::vector<Control> controls;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isEndElement()) {
            if (reader.name() == u"widget") {
                Judge(controls.back(), english, problems);
                controls.pop_back();
            }
            path.removeLast();
            continue;
        }
        if (!reader.isStartElement())
            continue;
        const QString element = reader.name().toString();
        const QString parent = path.isEmpty() ? QString() : path.last();
        path << element;
        if (element == u"widget") {
            controls.push_back({reader.attributes().value("name").toString(), {}, {}});
        } else if (element == u"property" && !controls.empty()) {
            const QString name = reader.attributes().value("name").toString();
            const bool ofItem =
                parent == u"item" && path.size() >= 3 && path[path.size() - 3] == u"widget";
            if (parent != u"widget" && !ofItem)
                continue;
            reader.readNext();
            while (reader.isWhitespace())
                reader.readNext();
            if (!reader.isStartElement())
                continue;
            const QString type = reader.name().toString();
            if (type != u"string" && type != u"bool") {
                reader.skipCurrentElement();  // a size, a rectangle, an enum: no text
                continue;
            }
            const QString value = reader.readElementText();
            Control& control = controls.back();
            if (type == u"bool" && value == u"true" && name.startsWith(u"resource")) {
                control.keyed.insert(name);
            } else if (type == u"string" && !value.trimmed().isEmpty() &&
                       kShownProperties.contains(name)) {
                control.shown.push_back({ofItem ? QStringLiteral("item") : name, value});
            }
        }
    }
    if (reader.hasError())
        problems << "not well-formed: " + reader.errorString();
    return problems;
}

// The problems of a menu skin: an entry without a key of lan.xml.
QStringList MenuSkinProblems(const QByteArray& xml, const dui::LanguageTexts& english) {
    QStringList problems;
    QXmlStreamReader reader(xml);
    bool root = true;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement() || (reader.name() != u"item" && reader.name() != u"menu"))
            continue;
        if (std::exchange(root, false))
            continue;  // the menu itself has no caption
        const QString name = reader.attributes().value("name").toString();
        const QString key = reader.attributes().value("textid").toString();
        if (key.isEmpty())
            problems << name + ": no textid";
        else if (!english.Contains(key))
            problems << name + " textid \"" + key + "\": no such key";
    }
    return problems;
}

QStringList SkinProblems(const QByteArray& xml, const dui::LanguageTexts& english) {
    return xml.contains("<ui") ? UiSkinProblems(xml, english) : MenuSkinProblems(xml, english);
}

dui::LanguageTexts SampleTexts() {
    dui::LanguageTexts texts;
    texts.Parse(R"(<language><text key="apply_text">Apply</text>
                   <text key="tip_text">Sends it</text></language>)");
    return texts;
}

// The checks themselves, on small skins: what they must find and what they must let pass.
TEST(SkinTextKeys, FindTextsThatAreNoKeysAndKeysThatAreMissing) {
    const QByteArray keyed =
        R"(<property name="resourcetext" stdset="0"><bool>true</bool></property>)";
    const QByteArray tipKeyed =
        R"(<property name="resourcetip" stdset="0"><bool>true</bool></property>)";
    auto widget = [](const QByteArray& inner) {
        return "<ui><widget class=\"QWidget\" name=\"w\"><widget class=\"QPushButton\" "
               "name=\"b\">" +
               inner + "</widget></widget></ui>";
    };
    auto text = [](const char* value) {
        return QByteArray("<property name=\"text\"><string>") + value + "</string></property>";
    };
    const struct {
        const char* what;
        QByteArray xml;
        QStringList problems;
    } cases[] = {
        {"a key", widget(text("apply_text") + keyed), {}},
        {"English words", widget(text("Apply")), {"b text \"Apply\": not a key"}},
        {"a key lan.xml lacks",
         widget(text("aply_text") + keyed),
         {"b text \"aply_text\": no such key"}},
        {"a number, a unit, a sign", widget(text("800") + text("125 Hz") + text("✕")), {}},
        {"a tooltip that is a key",
         widget("<property name=\"toolTip\"><string>tip_text</string></property>" + tipKeyed),
         {}},
        {"a tooltip in words, its text a key",
         widget(text("apply_text") + keyed +
                "<property name=\"toolTip\"><string>Sends it</string></property>"),
         {"b toolTip \"Sends it\": not a key"}},
        {"English combo items",
         "<ui><widget class=\"QComboBox\" name=\"c\"><item><property name=\"text\"><string>"
         "Steady</string></property></item></widget></ui>",
         {"c item \"Steady\": not a key"}},
        {"combo items that are keys",
         "<ui><widget class=\"QComboBox\" name=\"c\">" + keyed +
             "<item><property name=\"text\"><string>apply_text</string></property></item>"
             "</widget></ui>",
         {}},
        {"a placeholder in words",
         "<ui><widget class=\"QLineEdit\" name=\"e\"><property name=\"placeholderText\">"
         "<string>Profile name</string></property></widget></ui>",
         {"e placeholderText \"Profile name\": not a key"}},
        {"a menu item with a key", "<menu><item name=\"go\" textid=\"apply_text\"/></menu>", {}},
        {"a menu item in words", "<menu><item name=\"go\" text=\"Go\"/></menu>", {"go: no textid"}},
        {"a sub-menu with a missing key",
         "<menu><menu name=\"more\" textid=\"more_text\"/></menu>",
         {"more textid \"more_text\": no such key"}},
    };
    const dui::LanguageTexts english = SampleTexts();
    for (const auto& c : cases)
        EXPECT_EQ(SkinProblems(c.xml, english), c.problems) << c.what;
}

// The program's skins, as the build put them beside it.
TEST(SkinTextKeys, EverySkinShowsLanguageTexts) {
    const QDir res(QDir(ProgramFolder()).filePath("res"));
    dui::LanguageTexts english;
    ASSERT_TRUE(english.Load(res.filePath("lan.xml")));
    int skins = 0;
    for (QDirIterator it(res.path(), {"*.xml"}, QDir::Files, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString path = it.next();
        if (it.fileName().startsWith("lan"))
            continue;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        ++skins;
        for (const QString& problem : SkinProblems(file.readAll(), english))
            ADD_FAILURE() << res.relativeFilePath(path).toStdString() << ": "
                          << problem.toStdString();
    }
    EXPECT_GE(skins, 14);
}

}  // namespace
}  // namespace ms1
