#include "cli/StoreArgs.h"

#include <ostream>

#include "storage/DataFolders.h"

namespace ms1::cli {

std::optional<StoreArgs> ParseStoreArgs(CliContext& context, const CliCommand& command,
                                        const std::vector<std::string>& args, bool writes) {
    StoreArgs parsed;
    bool haveData = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--data") {
            if (i + 1 == args.size() || haveData) {
                UsageError(context, command, "--data takes one folder");
                return std::nullopt;
            }
            parsed.dataFolder = args[++i];
            haveData = true;
        } else if (args[i].rfind("--", 0) == 0 && args[i].size() > 2) {
            UsageError(context, command, "unknown option " + args[i]);
            return std::nullopt;
        } else {
            parsed.words.push_back(args[i]);
        }
    }
    if (!haveData)
        parsed.dataFolder = writes ? GetDataFolder() : LocateDataFolder();
    return parsed;
}

void ReportLoad(CliContext& context, const std::filesystem::path& file,
                const StoreLoadReport& report) {
    const std::string name = file.string();
    if (report.unusableFile) {
        context.err << name << ": holds no whole profile; starting with a default profile\n";
    }
    if (report.droppedRecords > 0) {
        context.err << name << ": dropped " << report.droppedRecords
                    << " macro(s) with an action count outside 0 to 200 or an unterminated name\n";
    }
    if (report.droppedBytes > 0) {
        context.err << name << ": dropped a trailing fragment of " << report.droppedBytes
                    << " bytes\n";
    }
    if (report.keptAside)
        context.err << name << ": the file as found is kept as " << report.keptAs.string() << "\n";
    if (report.keepAsideError) {
        context.err << name << ": cannot be kept aside (" << *report.keepAsideError
                    << "); it is left as found and not written over\n";
    } else if (!report.save) {
        context.err << report.save.reason() << "\n";
    }
}

}  // namespace ms1::cli
