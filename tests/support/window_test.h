#pragma once

#include "fake_services.h"
#include "temp_dir.h"
#include "ui/app_state.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace lomarind::test {

// The real main window on fake services, with a real temporary folder as its program directory.
class WindowTest : public ::testing::Test {
  protected:
    TempDir dir;
    FakeServices services{dir.path()};
    AppState state;
    MainWindow window{services, state};

    // Shows the window and makes it the active one, so that focus changes can be seen.
    void show_active() {
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
};

} // namespace lomarind::test
