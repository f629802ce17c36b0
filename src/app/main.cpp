#include "ui/app_state.h"
#include "ui/main_window.h"
#include "ui/qt_desktop_services.h"

#include <QApplication>
#include <cstdio>

namespace {

// Qt aborts when it finds no display to connect to; say plainly what is missing instead. Only
// the X11 and Wayland desktops are found through the environment; a platform such as offscreen
// needs no display, and elsewhere (Windows, macOS) the desktop is always there.
bool display_found() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (platform.isEmpty())
        return x11 || wayland;
    if (platform.startsWith(QLatin1String("xcb")))
        return x11;
    if (platform.startsWith(QLatin1String("wayland")))
        return wayland;
#endif
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    if (!display_found()) {
        std::fputs("lomarind needs a desktop: no display found (DISPLAY is not set); start it "
                   "from a desktop session or under xvfb-run.\n",
                   stderr);
        return 1;
    }
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
