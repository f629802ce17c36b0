#pragma once

#include "fake_services.h"
#include "ui/app_state.h"
#include "ui/main_window.h"

#include <QApplication>

namespace lomarind::bench {

// The real main window, shown offscreen, on the fake desktop services with `directory` as the
// program directory (real files, dialogs answered from the queues).
struct BenchWindow {
    test::FakeServices services;
    AppState state;
    MainWindow window{services, state};

    explicit BenchWindow(const QString& directory) : services(directory) {
        window.show();
        QApplication::processEvents();
    }
};

// Makes Qt draw offscreen unless a platform was asked for.
inline void offscreen_unless_chosen() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace lomarind::bench
