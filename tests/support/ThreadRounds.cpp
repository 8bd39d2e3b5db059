#include "tests/support/ThreadRounds.h"

#include <dirent.h>

#include <cstdlib>

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

}  // namespace ms1::test
