#include "tests/support/RecordingApplyView.h"

namespace ms1::test {

void RecordingApplyView::ShowApplyRing(bool visible) {
    std::lock_guard lock(mutex);
    events.push_back(visible ? "ring on" : "ring off");
}

void RecordingApplyView::ApplyFinished(bool allConfirmed) {
    std::lock_guard lock(mutex);
    events.push_back(allConfirmed ? "confirmed" : "not confirmed");
    finished.push_back(allConfirmed);
}

}  // namespace ms1::test
