#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace lomarind::test {

// Answers the next modal window that opens: `act` runs with it once it is the active modal
// widget. Call before the code that opens the window.
inline void when_modal_opens(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act = std::move(act)] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start();
}

} // namespace lomarind::test
