#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>

namespace lomarind::test {

// Answers the next modal window that opens: `act` runs with it once it is the active modal
// widget. Call before the code that opens the window. The watch belongs to `parent`, so it ends
// with the test's own objects instead of answering a later test's window, and a window that has
// not opened by the deadline fails the test.
inline void when_modal_opens(QObject& parent, std::function<void(QWidget*)> act,
                             std::chrono::milliseconds deadline = std::chrono::seconds(10)) {
    auto* timer = new QTimer(&parent);
    timer->setInterval(10);
    QElapsedTimer waited;
    waited.start();
    QObject::connect(
        timer, &QTimer::timeout, timer, [timer, waited, deadline, act = std::move(act)] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                timer->stop();
                timer->deleteLater();
                act(modal);
            } else if (waited.hasExpired(deadline.count())) {
                timer->stop();
                timer->deleteLater();
                ADD_FAILURE() << "no modal window opened within " << deadline.count() << " ms";
            }
        });
    timer->start();
}

} // namespace lomarind::test
