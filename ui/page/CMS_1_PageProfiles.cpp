// The profile list of the mouse page: switching, adding, deleting, renaming, resetting,
// importing and exporting profiles.
#include <cstring>

#include "core/Utf16Text.h"
#include "storage/AppProfileRules.h"
#include "storage/NameRules.h"
#include "storage/ProfileFile.h"
#include "ui/ProposedFileName.h"
#include "ui/page/CMS_1_Page.h"
#include "ui/page/PageNames.h"

namespace ms1 {

std::vector<std::u16string> CMS_1_Page::ProfileNames() {
    auto access = deps_.profiles.Lock();
    std::vector<std::u16string> names;
    names.reserve(access.Profiles().size());
    for (const auto& profile : access.Profiles())
        names.push_back(profile->profileName.get());
    return names;
}

std::string CMS_1_Page::SelectedProfileName() {
    auto lock = Lock();
    return working_ ? ToUtf8(working_->profileName.get()) : std::string();
}

int CMS_1_Page::ProfileCount() {
    auto access = deps_.profiles.Lock();
    return static_cast<int>(access.Profiles().size());
}

void CMS_1_Page::SwitchToProfile(int index, bool apply) {
    {
        auto lock = Lock();
        {
            auto access = deps_.profiles.Lock();
            if (index < 0 || index >= static_cast<int>(access.Profiles().size()))
                return;
            selected_ = index;
            access.SetSelectedIndex(index);
            working_ = access.Profiles()[index].get();
        }
        RefreshPage();
        fullApplyPending_ = true;
    }
    if (apply)
        deps_.apply.RequestApply();
    else
        SaveProfiles();
    if (onChosenByHand)
        onChosenByHand(ActiveProfileName());
}

int CMS_1_Page::FindProfile(std::u16string_view name) {
    auto lock = Lock();
    auto access = deps_.profiles.Lock();
    const auto& list = access.Profiles();
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (NamesEqual(list[i]->profileName.get(), name))
            return static_cast<int>(i);
    }
    return -1;
}

bool CMS_1_Page::UseProfile(std::u16string_view name, bool apply) {
    const int index = FindProfile(name);
    if (index < 0)
        return false;
    deps_.controls.ListSelect(kProfileList, index);
    SwitchToProfile(index, apply);
    return true;
}

bool CMS_1_Page::ActivateProfile(std::u16string_view name, bool byHand) {
    if (byHand)
        return UseProfile(name);
    const int index = FindProfile(name);
    if (index < 0)
        return false;
    auto lock = Lock();
    {
        auto access = deps_.profiles.Lock();
        if (index >= static_cast<int>(access.Profiles().size()))
            return false;
        if (index == selected_ && working_ == access.Profiles()[index].get())
            return true;
        selected_ = index;
        access.SetSelectedIndex(index);
        working_ = access.Profiles()[index].get();
    }
    deps_.controls.ListSelect(kProfileList, index);
    RefreshPage();
    // Under the lock, right after the change: an apply that copied the new profile already
    // is not cut short.
    deps_.apply.RequestApplyInstead();
    return true;
}

std::u16string CMS_1_Page::ActiveProfileName() {
    auto lock = Lock();
    return working_ ? working_->profileName.get() : std::u16string();
}

void CMS_1_Page::AddProfile() {
    std::optional<std::u16string> name =
        deps_.dialogs.AskProfileName("profile_name_1_text", ProfileNames(), std::u16string());
    if (!name)
        return;
    int index = 0;
    std::u16string added;
    {
        auto lock = Lock();
        auto access = deps_.profiles.Lock();
        auto profile = MakeZeroedProfile();
        ResetProfileToDefaults(*profile);
        // ms1ctl may have imported a profile of that name while the dialog was open.
        added = MakeUniqueName(access.Profiles(), *name, kProfileNameMaxChars);
        profile->profileName.set(added);
        access.Profiles().push_back(std::move(profile));
        index = static_cast<int>(access.Profiles().size()) - 1;
    }
    deps_.controls.ListAppend(kProfileList, ToUtf8(added));
    deps_.controls.ListSelect(kProfileList, index);
    ShowActiveReason({});
    SwitchToProfile(index);
}

void CMS_1_Page::DeleteProfile() {
    if (ProfileCount() < 2) {
        deps_.dialogs.MessageBox("warning_title_text", "one_profile_text");
        return;
    }
    if (!deps_.dialogs.Confirm("delete_profile_title_text", "delete_profile_text",
                               SelectedProfileName()))
        return;
    int removed = 0;
    std::u16string removedName;
    {
        auto lock = Lock();
        auto access = deps_.profiles.Lock();
        auto& list = access.Profiles();
        if (list.size() < 2 || selected_ < 0 || selected_ >= static_cast<int>(list.size()))
            return;
        removed = selected_;
        removedName = list[removed]->profileName.get();
        list.erase(list.begin() + removed);
        selected_ = removed < static_cast<int>(list.size()) ? removed : removed - 1;
        access.SetSelectedIndex(selected_);
        working_ = list[selected_].get();
    }
    deps_.controls.ListRemove(kProfileList, removed);
    deps_.controls.ListSelect(kProfileList, selected_);
    ShowActiveReason({});
    SwitchToProfile(selected_);
    // No rule is left pointing at a profile that is not there.
    if (appRules_ != nullptr) {
        if (Result saved = appRules_->ProfileDeleted(removedName); !saved)
            deps_.dialogs.ShowProblem("warning_title_text", saved.reason());
    }
}

void CMS_1_Page::RenameProfile() {
    const ProfileRecord* renamed = nullptr;
    std::u16string current;
    {
        auto lock = Lock();
        renamed = working_;
        if (renamed)
            current = renamed->profileName.get();
    }
    if (!renamed)
        return;
    std::optional<std::u16string> name =
        deps_.dialogs.AskProfileName("profile_name_2_text", ProfileNames(), current);
    if (!name)
        return;
    std::u16string newName;
    {
        auto lock = Lock();
        auto access = deps_.profiles.Lock();
        auto& list = access.Profiles();
        int index = -1;
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (list[i].get() == renamed)
                index = static_cast<int>(i);
        }
        if (index < 0)
            return;
        // Another profile may have taken the name while the dialog was open.
        std::u16string unique = *name;
        if (!NamesEqual(list[index]->profileName.get(), *name))
            unique = MakeUniqueName(list, *name, kProfileNameMaxChars);
        current = list[index]->profileName.get();
        list[index]->profileName.set(unique);
        newName = list[index]->profileName.get();
        deps_.controls.ListSetText(kProfileList, index, ToUtf8(unique));
    }
    if (!SaveProfiles()) {
        deps_.dialogs.ShowProblem("warning_title_text", "profiles_not_saved_text");
    }
    // The rules of the profile follow it to its new name.
    if (appRules_ != nullptr) {
        if (Result saved = appRules_->ProfileRenamed(current, newName); !saved)
            deps_.dialogs.ShowProblem("warning_title_text", saved.reason());
    }
}

void CMS_1_Page::ResetProfile() {
    {
        auto lock = Lock();
        if (!working_)
            return;
    }
    if (!deps_.dialogs.Confirm("restore_title_text", "restore_text", SelectedProfileName()))
        return;
    {
        auto lock = Lock();
        if (!working_)
            return;
        ResetProfileToDefaults(*working_);
        RefreshPage();
        fullApplyPending_ = true;
    }
    deps_.apply.RequestApply();
}

void CMS_1_Page::ExportProfile() {
    auto copy = MakeZeroedProfile();
    {
        auto lock = Lock();
        if (!working_)
            return;
        std::memcpy(copy.get(), working_, sizeof(ProfileRecord));
    }
    std::optional<std::filesystem::path> file =
        deps_.dialogs.AskProfileFileToSave(ProposedFileName(copy->profileName.get(), u"pro"));
    if (!file)
        return;
    AtomicFileWriter writer;
    Result written = ms1::ExportProfile(*copy, *file, writer);
    if (!written)
        deps_.dialogs.ShowProblem("warning_title_text", written.reason());
    else
        deps_.dialogs.ShowStatus("export_done_text", file->filename().string());
}

int CMS_1_Page::ChangeStores(
    const std::function<int(ProfileStore::Access&, MacroStore::Access&)>& change) {
    auto lock = Lock();
    auto profiles = deps_.profiles.Lock();
    auto macros = deps_.macros.Lock();
    const std::size_t listed = profiles.Profiles().size();
    const int result = change(profiles, macros);
    for (std::size_t i = listed; i < profiles.Profiles().size(); ++i)
        deps_.controls.ListAppend(kProfileList, ToUtf8(profiles.Profiles()[i]->profileName.get()));
    return result;
}

void CMS_1_Page::ImportProfile() {
    std::optional<std::filesystem::path> file = deps_.dialogs.AskProfileFileToOpen();
    if (!file)
        return;
    ProfileImport imported;
    {
        auto lock = Lock();
        auto profiles = deps_.profiles.Lock();
        auto macros = deps_.macros.Lock();
        imported = ImportProfileFile(*file, profiles, macros);
    }
    if (!imported.taken) {
        deps_.dialogs.ShowProblem("warning_title_text",
                                  file->filename().string() + ": " + imported.taken.reason());
        return;
    }
    if (!imported.macroNames.empty() && !imported.macroSave) {
        deps_.dialogs.ShowProblem("warning_title_text", imported.macroSave.reason());
    }
    // On disk now, not when the apply of the switch below ends, seconds later.
    if (!SaveProfiles())
        deps_.dialogs.ShowProblem("warning_title_text", "profiles_not_saved_text");
    const int index = static_cast<int>(imported.index);
    deps_.controls.ListAppend(kProfileList, ToUtf8(imported.name));
    deps_.controls.ListSelect(kProfileList, index);
    ShowActiveReason({});
    SwitchToProfile(index);
    deps_.dialogs.ShowStatus("import_done_text", ToUtf8(imported.name));
}

}  // namespace ms1
