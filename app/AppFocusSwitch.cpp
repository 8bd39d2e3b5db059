#include "app/AppFocusSwitch.h"

#include <QString>

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

}  // namespace ms1
