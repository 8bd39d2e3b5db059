// The bash completion of ms1ctl, run by bash against the built ms1ctl and a data folder. The
// helpers of the bash-completion package are stood in for by what they set.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "storage/ProfileStore.h"
#include "tests/support/TempFolder.h"

namespace ms1 {
namespace {

constexpr char kHarness[] = R"(
_init_completion() { words=("${COMP_WORDS[@]}"); cword=$COMP_CWORD; cur=${words[cword]}; prev=${words[cword - 1]}; }
_filedir() { COMPREPLY=("<files $*>"); }
compopt() { :; }
source "$1"; shift
COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
_ms1ctl
printf '%s\n' "${COMPREPLY[@]}"
)";

std::string Quoted(const std::string& word) {
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The completions bash offers for the words typed, the last one being completed.
std::vector<std::string> Complete(const std::filesystem::path& harness,
                                  const std::vector<std::string>& typed) {
    const std::string folder = std::filesystem::path(MS1CTL_PATH).parent_path().string();
    std::string command = "PATH=" + Quoted(folder) + ":\"$PATH\" bash " + Quoted(harness) + " " +
                          Quoted(MS1_COMPLETION_FILE);
    // Appended piece by piece: GCC 12's -O3 takes " " + std::string for an overlapping copy.
    for (const std::string& word : typed)
        command.append(" ").append(Quoted(word));
    std::vector<std::string> lines;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return {"popen failed"};
    std::array<char, 512> line;
    while (std::fgets(line.data(), line.size(), pipe) != nullptr) {
        std::string text(line.data());
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        if (!text.empty())
            lines.push_back(text);
    }
    ::pclose(pipe);
    return lines;
}

using test::TempFolder;

TEST(Completion, ProfileUseAndExportOfferTheStoredNames) {
    TempFolder data;
    {
        ProfileStore store(data.path());
        store.LoadProfileStore(u"Profile");
        auto access = store.Lock();
        access.AddDefaultProfile(u"Profile").profileName.set(u"My Game");
        access.AddDefaultProfile(u"Profile").profileName.set(u"draw");
        ASSERT_TRUE(access.SaveProfileStore());
    }
    const std::filesystem::path harness = data / "harness.bash";
    std::ofstream(harness) << kHarness;
    const std::string dir = data.path().string();

    struct Row {
        std::vector<std::string> typed;
        std::vector<std::string> offered;
    };
    const Row rows[] = {
        {{"ms1ctl", "profile", "u"}, {"use"}},
        {{"ms1ctl", "profile", "use", "--data", dir, ""}, {"Profile1", "My\\ Game", "draw"}},
        {{"ms1ctl", "--simulate", "profile", "use", "--data", dir, "m"}, {"My\\ Game"}},
        {{"ms1ctl", "profile", "use", "--data", dir, "D"}, {"draw"}},
        {{"ms1ctl", "profile", "export", "--data", dir, "p"}, {"Profile1"}},
        // After the name comes the file to export to.
        {{"ms1ctl", "profile", "export", "--data", dir, "draw", ""}, {"<files pro>"}},
        {{"ms1ctl", "profile", "use", "draw", "--d"}, {"--data", "--dump-device"}},
        {{"ms1ctl", "macro", ""}, {"import", "export"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed.back());
        EXPECT_EQ(Complete(harness, row.typed), row.offered);
    }
}

}  // namespace
}  // namespace ms1
