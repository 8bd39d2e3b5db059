#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "protocol/ApplyEngine.h"

namespace ms1::test {

// What the page would show of each apply, in order: "ring on", "ring off", "confirmed" or
// "not confirmed". Called from the apply worker's thread.
struct RecordingApplyView final : ApplyView {
    void ShowApplyRing(bool visible) override;
    void ApplyFinished(bool allConfirmed) override;

    std::mutex mutex;
    std::vector<std::string> events;
    std::vector<bool> finished;  // every ApplyFinished, whether all was confirmed
};

}  // namespace ms1::test
