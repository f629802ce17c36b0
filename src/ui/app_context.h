#pragma once

namespace lomarind {

class MainWindow;
class DesktopServices;
struct AppState;

// What every handler works with: the window's controls, the desktop services and the state.
struct AppContext {
    MainWindow& window;
    DesktopServices& services;
    AppState& state;
};

} // namespace lomarind
