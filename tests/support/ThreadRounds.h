#pragma once

// The threads of this process as the kernel lists them, for tests that must find the thread
// the code under test started.
#include <set>

namespace ms1::test {

// The ids of this process's threads now.
std::set<int> ThreadIds();

}  // namespace ms1::test
