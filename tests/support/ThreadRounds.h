#pragma once

// What the kernel tells of this process's threads, for tests that must know a thread of the
// code under test went round its loop: a thread that sleeps or waits once a round gives up
// the processor once a round, and the kernel counts each time.
#include <chrono>
#include <set>

namespace ms1::test {

// The ids of this process's threads now.
std::set<int> ThreadIds();

// How often thread `id` gave up the processor of its own accord (slept or waited); -1 when
// the thread is gone.
long VoluntarySwitches(int id);

// Waits until thread `id` gave up the processor `rounds` more times than it had when called:
// two mean that a whole round of its loop began and ended since.
bool WaitForRounds(int id, int rounds, std::chrono::milliseconds patience);

}  // namespace ms1::test
