#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class QWidget;

// The help engine: compiled HTML help files (.chm) read through chmlib, which is loaded on the
// first use only; a failed load is not tried again in the same run.
constexpr uint32_t HH_DISPLAY_TOC = 0x0001;
constexpr uint32_t HH_CLOSE_ALL = 0x0012;

// The process-wide loader.
struct THelpLoader {
    QString HelpLibraryName = "libchm.so.1";
    void* HelpLibrary = nullptr;  // the loaded library
    // Our engine's entry, set when the library and every function it needs were found.
    intptr_t (*HtmlHelpProc)(QWidget* caller, const char* file, uint32_t command,
                             intptr_t data) = nullptr;
    bool HelpLoadTried = false;
    int LoadCount = 0;  // times the library was actually loaded (for diagnostics)

    ~THelpLoader();  // releases the library at exit
};
THelpLoader& HelpLoader();

// Loads the engine once.
void LoadHelpEngine();

// Opens the file's table of contents (HH_DISPLAY_TOC) or closes every help window
// (HH_CLOSE_ALL); returns the help window, or 0 when nothing was shown.
intptr_t HtmlHelp(QWidget* caller, const char* file, uint32_t command, intptr_t data);

// The application's help event (the hook every help request goes through) and help file name.
std::function<bool(quint16 command, qint32 data, bool& callHelp)>& ApplicationHelpEvent();
QString& ApplicationHelpFile();

// Back to "never tried": closes the help windows and releases the library. For tests, which
// need a fresh engine in one process.
void ResetHelpEngine();

// The help file beside an executable: its folder + "help.chm", with one "/" between.
QString HelpFilePathFor(const QString& executablePath);
