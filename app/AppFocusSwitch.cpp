#include "app/AppFocusSwitch.h"

#include <QString>
#include <QStringList>
#include <map>

#include "platform/DebugLog.h"
#include "platform/focus/FocusSources.h"
#include "ui/page/CMS_1_Page.h"

namespace ms1 {

AppFocusSwitch::AppFocusSwitch(CMS_1_Page& page, std::unique_ptr<FocusSource> source,
                               RuleLookup ruleFor, std::function<bool()> enabled)
    : page_(page),
      source_(std::move(source)),
      switcher_(AppProfileSwitcher::Ports{
          std::move(ruleFor), std::move(enabled),
          [this](const std::u16string& name, bool byHand) {
              return page_.ActivateProfile(name, byHand);
          },
          [this] { return page_.ActiveProfileName(); },
          [this](const std::u16string& profile, const std::string& appId) {
              qCDebug(lcMs1) << "focus: profile" << QString::fromStdU16String(profile)
                             << (appId.empty() ? "chosen by hand" : "by rule:")
                             << QString::fromStdString(appId);
              if (switched_)
                  switched_(profile, appId);
          }}) {
    page_.onChosenByHand = [this](const std::u16string& name) { switcher_.OnChosenByHand(name); };
}

AppFocusSwitch::~AppFocusSwitch() {
    page_.onChosenByHand = nullptr;
}

std::unique_ptr<FocusSource> AppFocusSwitch::SourceForDesktop() {
    return PickFocusSource(DesktopEnvironment::FromProcess());
}

bool AppFocusSwitch::Start() {
    const bool following =
        source_->Start([this](const std::string& appId) { switcher_.OnFocus(appId); });
    if (!following) {
        qCDebug(lcMs1) << "focus: not followed here:"
                       << QString::fromStdString(source_->UnavailableReason());
    }
    return following;
}

AppFocusSwitch::RuleLookup RulesFromEnvironment() {
    std::map<QString, std::u16string> rules;
    const QString text = qEnvironmentVariable("MS1_APP_PROFILES");
    for (const QString& pair : text.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(u'=');
        if (equals <= 0)
            continue;
        rules[pair.left(equals).trimmed().toCaseFolded()] = pair.mid(equals + 1).toStdU16String();
    }
    return [rules = std::move(rules)](std::string_view appId) -> std::optional<std::u16string> {
        const auto it = rules.find(
            QString::fromUtf8(appId.data(), static_cast<qsizetype>(appId.size())).toCaseFolded());
        if (it == rules.end())
            return std::nullopt;
        return it->second;
    };
}

}  // namespace ms1
