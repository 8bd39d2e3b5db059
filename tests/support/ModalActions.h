#pragma once

#include <functional>

class QWidget;

namespace ms1::test {

// How a test looks for the next modal window: `attempts` looks, `intervalMs` apart (0: once
// per turn of the event loop). A dialog that never opens leaves the test to fail on what it
// expected.
struct ModalWait {
    int attempts = 300;
    int intervalMs = 10;
};

// Acts on the next modal window once its loop runs it (the loop hands over the call).
void WhenModal(std::function<void(QWidget*)> act, ModalWait wait = {});

// Clicks the button `name` of `window`; the test fails when there is none.
void Click(QWidget* window, const char* name);

}  // namespace ms1::test
