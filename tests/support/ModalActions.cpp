#include "tests/support/ModalActions.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace ms1::test {

void WhenModal(std::function<void(QWidget*)> act, ModalWait wait) {
    QTimer::singleShot(wait.intervalMs, [act = std::move(act), wait]() mutable {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            act(modal);
        } else if (wait.attempts > 0) {
            --wait.attempts;
            WhenModal(std::move(act), wait);
        }
    });
}

void Click(QWidget* window, const char* name) {
    auto* button = window->findChild<QAbstractButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

}  // namespace ms1::test
