#include "widgets/HtmlHlp.h"

#include <dlfcn.h>

#include <QDir>
#include <memory>

#include "platform/ChmFile.h"
#include "widgets/HelpWindow.h"

namespace {
TChmFunctions& Functions() {
    static TChmFunctions functions;
    return functions;
}

// Our engine, reached only through the loader once chmlib is there.
intptr_t ChmHtmlHelp(QWidget*, const char* file, uint32_t command, intptr_t) {
    if (command == HH_CLOSE_ALL) {
        THelpWindow::CloseAll();
        return 0;
    }
    if (command != HH_DISPLAY_TOC || !file) {
        return 0;
    }
    auto chm = std::make_shared<TChmFile>(Functions(), QString::fromLocal8Bit(file));
    if (!chm->IsOpen()) {
        return 0;  // a missing or unreadable file shows nothing
    }
    auto* window = new THelpWindow(chm);
    window->show();
    window->raise();
    return reinterpret_cast<intptr_t>(window);
}

template <typename T>
bool Resolve(void* library, const char* name, T* function) {
    *function = reinterpret_cast<T>(dlsym(library, name));
    return *function != nullptr;
}
}  // namespace

THelpLoader::~THelpLoader() {
    if (HelpLibrary) {
        dlclose(HelpLibrary);
        HelpLibrary = nullptr;
    }
    HelpLibraryName.clear();
}

THelpLoader& HelpLoader() {
    static THelpLoader loader;
    return loader;
}

void LoadHelpEngine() {
    THelpLoader& loader = HelpLoader();
    if (loader.HelpLoadTried) {
        return;  // one attempt per run, failed or not
    }
    loader.HelpLoadTried = true;
    loader.HelpLibrary =
        dlopen(QFile::encodeName(loader.HelpLibraryName).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!loader.HelpLibrary) {
        return;
    }
    ++loader.LoadCount;
    TChmFunctions& f = Functions();
    if (Resolve(loader.HelpLibrary, "chm_open", &f.open) &&
        Resolve(loader.HelpLibrary, "chm_close", &f.close) &&
        Resolve(loader.HelpLibrary, "chm_resolve_object", &f.resolve) &&
        Resolve(loader.HelpLibrary, "chm_retrieve_object", &f.retrieve) &&
        Resolve(loader.HelpLibrary, "chm_enumerate", &f.enumerate)) {
        loader.HtmlHelpProc = &ChmHtmlHelp;
    }
}

intptr_t HtmlHelp(QWidget* caller, const char* file, uint32_t command, intptr_t data) {
    if (command == HH_CLOSE_ALL && !HelpLoader().HelpLoadTried) {
        return 0;  // nothing was ever opened: nothing to load for closing
    }
    LoadHelpEngine();
    return HelpLoader().HtmlHelpProc ? HelpLoader().HtmlHelpProc(caller, file, command, data) : 0;
}

std::function<bool(quint16, qint32, bool&)>& ApplicationHelpEvent() {
    static std::function<bool(quint16, qint32, bool&)> event;
    return event;
}

QString& ApplicationHelpFile() {
    static QString file;
    return file;
}

void ResetHelpEngine() {
    THelpWindow::CloseAll();
    THelpLoader& loader = HelpLoader();
    if (loader.HelpLibrary) {
        dlclose(loader.HelpLibrary);
    }
    loader.HelpLibrary = nullptr;
    loader.HtmlHelpProc = nullptr;
    loader.HelpLoadTried = false;
    loader.LoadCount = 0;
    loader.HelpLibraryName = "libchm.so.1";
    Functions() = TChmFunctions();
}

QString HelpFilePathFor(const QString& executablePath) {
    const int slash = executablePath.lastIndexOf('/');
    if (slash < 0) {
        return "help.chm";  // a bare name: the current folder
    }
    const QString folder = slash == 0 ? QString("/") : executablePath.left(slash);
    return folder.endsWith('/') ? folder + "help.chm" : folder + "/help.chm";
}
