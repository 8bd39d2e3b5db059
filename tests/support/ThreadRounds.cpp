#include "tests/support/ThreadRounds.h"

#include <dirent.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace ms1::test {

std::set<int> ThreadIds() {
    std::set<int> ids;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(tasks)) {
            if (entry->d_name[0] != '.')
                ids.insert(std::atoi(entry->d_name));
        }
        closedir(tasks);
    }
    return ids;
}

long VoluntarySwitches(int id) {
    std::ifstream status("/proc/self/task/" + std::to_string(id) + "/status");
    const std::string field = "voluntary_ctxt_switches:";
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field, 0) == 0)
            return std::atol(line.c_str() + field.size());
    }
    return -1;
}

bool WaitForRounds(int id, int rounds, std::chrono::milliseconds patience) {
    const long start = VoluntarySwitches(id);
    if (start < 0)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (VoluntarySwitches(id) < start + rounds) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        // The kernel has no event for this count: look again shortly.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace ms1::test
