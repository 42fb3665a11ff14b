#include <gtest/gtest.h>

#include <QWidget>
#include <QWindow>

#include "TestUtil.h"
#include "web/WindowShown.h"

// The engine's start waits for the window: it runs once the window is on the screen, never
// before, and never in the caller's own turn; a widget whose window is not shown gets it from
// the event loop all the same.
TEST(WindowShown, WorkWaitsForTheWindowToBeExposedAndRunsWhenItIsNotShown) {
    for (const bool shown : {true, false}) {
        QWidget window;
        auto* inside = new QWidget(&window);
        bool ran = false;
        bool exposedThen = false;
        if (shown) {
            window.show();
        }
        WhenWindowShown(inside, [&] {
            ran = true;
            exposedThen = window.windowHandle() && window.windowHandle()->isExposed();
        });
        EXPECT_FALSE(ran) << shown;
        ASSERT_TRUE(WaitUntil([&] { return ran; })) << shown;
        EXPECT_EQ(exposedThen, shown);
    }
}
