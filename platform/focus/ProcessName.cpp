#include "platform/focus/ProcessName.h"

#include <fstream>

namespace ms1 {

std::string ProcessName(std::uint32_t pid, const std::filesystem::path& procRoot) {
    if (pid == 0)
        return {};
    std::ifstream in(procRoot / std::to_string(pid) / "comm");
    std::string name;
    if (!in || !std::getline(in, name))
        return {};
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r'))
        name.pop_back();
    return name;
}

}  // namespace ms1
