#pragma once

#include <QString>

// A text the program gives the engine (a script, a page), from the resources built into it, with
// the shared rule of what a Flash element plays put where it says "/* @FLASH_ELEMENT@ */".
QString WebResource(const QString& name);

// text as a JavaScript string literal, to put into a script the program runs.
QString JsString(const QString& text);
