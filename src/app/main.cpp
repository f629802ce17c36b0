#include "app/app_state.h"
#include "app/main_window.h"
#include "platform/qt_desktop_services.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);

    static lomarind::AppState state; // zero before anything touches it
    lomarind::QtDesktopServices services;
    int result = 0;
    {
        lomarind::MainWindow window(services, state);
        services.set_dialog_parent(&window);
        QObject::connect(&window, &lomarind::MainWindow::closing, &app, &QApplication::quit,
                         Qt::QueuedConnection);
        window.centre_on_screen();
        window.show();
        result = app.exec();
        // Stop a query still running before its list and the journals go away.
        services.stop_workers();
    }
    lomarind::exit_cleanup(state);
    return result;
}
