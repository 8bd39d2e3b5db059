// setting.ini in the data folder: the mouse picture read at start, and written back.
#include <string>
#include <string_view>

#include "fuzz/FuzzFolder.h"
#include "fuzz/FuzzInput.h"
#include "storage/IniText.h"
#include "storage/SettingsFile.h"

namespace {

// The same line ending on every line: all "\r\n", or no "\r\n" at all.
bool OneLineEnding(std::string_view text) {
    std::size_t lf = 0;
    std::size_t crlf = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++lf;
            crlf += i > 0 && text[i - 1] == '\r';
        }
    }
    return crlf == 0 || crlf == lf;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ms1;
    using namespace ms1::fuzz;
    const std::string text(reinterpret_cast<const char*>(data), size);

    // A file with one kind of line ending comes back as it was when nothing is changed.
    const IniText ini(text);
    if (OneLineEnding(text))
        MS1_FUZZ_CHECK(ini.Text() == text);

    // The picture read is one of the six; a file is only rewritten, to "Model=0", when it
    // does not name one.
    static const FuzzFolder folder;
    folder.Reset();
    const auto path = SettingsFilePath(folder.Path());
    WriteFileOrAbort(path, {data, size});
    UnsyncedWriter writer;
    const int model = ReadModel(folder.Path(), writer);
    MS1_FUZZ_CHECK(model >= 0 && model < kModelCount);
    const auto after = ReadFileOrEmpty(path);
    const std::string written(after.begin(), after.end());
    if (written != text) {
        MS1_FUZZ_CHECK(model == 0 && IniText(written).Get("SETTING", "Model") == "0");
    } else {
        MS1_FUZZ_CHECK(ini.Get("SETTING", "Model").has_value());
    }

    // Another picture chosen is the one read next time.
    MS1_FUZZ_CHECK(WriteModel(folder.Path(), 4, writer));
    MS1_FUZZ_CHECK(ReadModel(folder.Path(), writer) == 4);
    return 0;
}
