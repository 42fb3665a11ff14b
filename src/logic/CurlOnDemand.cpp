// The libcurl functions the program uses, each handing over to the library loaded on first use.
#define CURL_DISABLE_TYPECHECK
#include "logic/CurlOnDemand.h"

#include <curl/curl.h>
#include <dlfcn.h>

#include <cstdarg>

namespace {
constexpr char kLibraryName[] = "libcurl.so.4";

struct TCurlFunctions {
    decltype(&curl_global_init) globalInit = nullptr;
    decltype(&curl_global_cleanup) globalCleanup = nullptr;
    decltype(&curl_easy_init) easyInit = nullptr;
    decltype(&curl_easy_cleanup) easyCleanup = nullptr;
    decltype(&curl_easy_reset) easyReset = nullptr;
    decltype(&curl_easy_setopt) easySetopt = nullptr;
    decltype(&curl_easy_getinfo) easyGetinfo = nullptr;
    decltype(&curl_easy_strerror) easyStrerror = nullptr;
    decltype(&curl_multi_init) multiInit = nullptr;
    decltype(&curl_multi_cleanup) multiCleanup = nullptr;
    decltype(&curl_multi_add_handle) multiAddHandle = nullptr;
    decltype(&curl_multi_remove_handle) multiRemoveHandle = nullptr;
    decltype(&curl_multi_perform) multiPerform = nullptr;
    decltype(&curl_multi_poll) multiPoll = nullptr;
    decltype(&curl_multi_info_read) multiInfoRead = nullptr;
    decltype(&curl_multi_wakeup) multiWakeup = nullptr;
    decltype(&curl_slist_append) slistAppend = nullptr;
    decltype(&curl_slist_free_all) slistFreeAll = nullptr;
};

QString& LoadProblem() {
    static QString problem;
    return problem;
}

template <typename T>
bool Resolve(void* library, const char* name, T* function) {
    *function = reinterpret_cast<T>(dlsym(library, name));
    if (!*function) {
        LoadProblem() = QString("%1 lacks %2").arg(kLibraryName, name);
    }
    return *function != nullptr;
}

// Loads the library once (thread-safe); nullptr, with LoadProblem() set, when it cannot be.
const TCurlFunctions* Curl() {
    static const TCurlFunctions* const functions = []() -> const TCurlFunctions* {
        // Its own symbols stay its own: they do not slow the lookups of what loads later.
        void* library = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            LoadProblem() = QString::fromLocal8Bit(dlerror());
            return nullptr;
        }
        static TCurlFunctions f;
        const bool all = Resolve(library, "curl_global_init", &f.globalInit) &&
                         Resolve(library, "curl_global_cleanup", &f.globalCleanup) &&
                         Resolve(library, "curl_easy_init", &f.easyInit) &&
                         Resolve(library, "curl_easy_cleanup", &f.easyCleanup) &&
                         Resolve(library, "curl_easy_reset", &f.easyReset) &&
                         Resolve(library, "curl_easy_setopt", &f.easySetopt) &&
                         Resolve(library, "curl_easy_getinfo", &f.easyGetinfo) &&
                         Resolve(library, "curl_easy_strerror", &f.easyStrerror) &&
                         Resolve(library, "curl_multi_init", &f.multiInit) &&
                         Resolve(library, "curl_multi_cleanup", &f.multiCleanup) &&
                         Resolve(library, "curl_multi_add_handle", &f.multiAddHandle) &&
                         Resolve(library, "curl_multi_remove_handle", &f.multiRemoveHandle) &&
                         Resolve(library, "curl_multi_perform", &f.multiPerform) &&
                         Resolve(library, "curl_multi_poll", &f.multiPoll) &&
                         Resolve(library, "curl_multi_info_read", &f.multiInfoRead) &&
                         Resolve(library, "curl_multi_wakeup", &f.multiWakeup) &&
                         Resolve(library, "curl_slist_append", &f.slistAppend) &&
                         Resolve(library, "curl_slist_free_all", &f.slistFreeAll);
        return all ? &f : nullptr;
    }();
    return functions;
}
}  // namespace

QString NetworkLibraryProblem() {
    Curl();
    return LoadProblem();
}

CURLcode curl_global_init(long flags) {
    const TCurlFunctions* f = Curl();
    return f ? f->globalInit(flags) : CURLE_FAILED_INIT;
}

void curl_global_cleanup() {
    if (const TCurlFunctions* f = Curl()) {
        f->globalCleanup();
    }
}

CURL* curl_easy_init() {
    const TCurlFunctions* f = Curl();
    return f ? f->easyInit() : nullptr;
}

void curl_easy_cleanup(CURL* handle) {
    if (const TCurlFunctions* f = Curl()) {
        f->easyCleanup(handle);
    }
}

void curl_easy_reset(CURL* handle) {
    if (const TCurlFunctions* f = Curl()) {
        f->easyReset(handle);
    }
}

// libcurl's own signatures end their named parameters with an enumeration, which is passed as an
// int, as libcurl itself reads it.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wvarargs"
#endif

// The option's number tells the type of its one argument; each is passed on as that type.
CURLcode curl_easy_setopt(CURL* handle, CURLoption option, ...) {
    const TCurlFunctions* f = Curl();
    if (!f) {
        return CURLE_FAILED_INIT;
    }
    va_list arguments;
    va_start(arguments, option);
    CURLcode code;
    if (option < CURLOPTTYPE_OBJECTPOINT) {
        code = f->easySetopt(handle, option, va_arg(arguments, long));
    } else if (option < CURLOPTTYPE_FUNCTIONPOINT) {
        code = f->easySetopt(handle, option, va_arg(arguments, void*));
    } else if (option < CURLOPTTYPE_OFF_T) {
        code = f->easySetopt(handle, option, va_arg(arguments, void (*)()));
    } else if (option < CURLOPTTYPE_BLOB) {
        code = f->easySetopt(handle, option, va_arg(arguments, curl_off_t));
    } else {
        code = f->easySetopt(handle, option, va_arg(arguments, void*));
    }
    va_end(arguments);
    return code;
}

// Every piece of information is written through a pointer.
CURLcode curl_easy_getinfo(CURL* handle, CURLINFO info, ...) {
    const TCurlFunctions* f = Curl();
    if (!f) {
        return CURLE_FAILED_INIT;
    }
    va_list arguments;
    va_start(arguments, info);
    const CURLcode code = f->easyGetinfo(handle, info, va_arg(arguments, void*));
    va_end(arguments);
    return code;
}

#if defined(__clang__)
#pragma clang diagnostic pop
#endif

const char* curl_easy_strerror(CURLcode code) {
    const TCurlFunctions* f = Curl();
    return f ? f->easyStrerror(code) : "the network library cannot be loaded";
}

CURLM* curl_multi_init() {
    const TCurlFunctions* f = Curl();
    return f ? f->multiInit() : nullptr;
}

CURLMcode curl_multi_cleanup(CURLM* multi) {
    const TCurlFunctions* f = Curl();
    return f ? f->multiCleanup(multi) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_add_handle(CURLM* multi, CURL* handle) {
    const TCurlFunctions* f = Curl();
    return f ? f->multiAddHandle(multi, handle) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_remove_handle(CURLM* multi, CURL* handle) {
    const TCurlFunctions* f = Curl();
    return f ? f->multiRemoveHandle(multi, handle) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_perform(CURLM* multi, int* running) {
    const TCurlFunctions* f = Curl();
    return f ? f->multiPerform(multi, running) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_poll(CURLM* multi, curl_waitfd* extra, unsigned int count, int timeoutMs,
                          int* ready) {
    const TCurlFunctions* f = Curl();
    return f ? f->multiPoll(multi, extra, count, timeoutMs, ready) : CURLM_BAD_HANDLE;
}

CURLMsg* curl_multi_info_read(CURLM* multi, int* queued) {
    const TCurlFunctions* f = Curl();
    return f ? f->multiInfoRead(multi, queued) : nullptr;
}

CURLMcode curl_multi_wakeup(CURLM* multi) {
    const TCurlFunctions* f = Curl();
    return f ? f->multiWakeup(multi) : CURLM_BAD_HANDLE;
}

curl_slist* curl_slist_append(curl_slist* list, const char* text) {
    const TCurlFunctions* f = Curl();
    return f ? f->slistAppend(list, text) : nullptr;
}

void curl_slist_free_all(curl_slist* list) {
    if (const TCurlFunctions* f = Curl()) {
        f->slistFreeAll(list);
    }
}
