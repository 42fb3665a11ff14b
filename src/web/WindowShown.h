#pragma once

#include <functional>

class QWidget;

// Runs then once the window holding widget is on the screen and drawn, so that work which holds
// up the event loop a while (the browser engine's start) comes after the user sees the window.
// From the event loop at once when that window is not being shown; a second later at most.
void WhenWindowShown(QWidget* widget, std::function<void()> then);
