#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

#include <gtest/gtest.h>

namespace ms1::test {

// Acts on the next modal window once its loop runs it; gives up after `attempts` looks 10 ms
// apart, so a dialog that never opens leaves the test to fail on what it expected.
inline void WhenModal(std::function<void(QWidget*)> act, int attempts = 300) {
    QTimer::singleShot(10, [act = std::move(act), attempts]() mutable {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            act(modal);
        } else if (attempts > 0) {
            WhenModal(std::move(act), attempts - 1);
        }
    });
}

inline void Click(QWidget* window, const char* name) {
    auto* button = window->findChild<QAbstractButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

}  // namespace ms1::test
