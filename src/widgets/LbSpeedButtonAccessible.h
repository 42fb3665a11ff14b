#pragma once

#include <QString>

// The caption as a screen reader says it: without the "&" of the accelerator ("&&" stays one
// "&") and with its blanks as single spaces ("  GO!" is "GO!", "Download  Flash" is "Download
// Flash").
QString SpokenCaption(const QString& caption);

// Makes every flat button a push button to screen readers: named by its caption, with a press
// action and its accelerator. Called once, before the first button is shown.
void InstallLbSpeedButtonAccessibility();
