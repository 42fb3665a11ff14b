#include "logic/SessionEnd.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

namespace {
int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the number goes down the pipe to the event loop.
void OnSignal(int number) {
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
}
}  // namespace

void InstallSessionEndHandling(std::function<void()> cancelJobs) {
    if (signalPipe[0] >= 0 ||
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        return;
    }
    auto* notifier =
        new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [notifier, cancelJobs = std::move(cancelJobs)] {
                         char number = 0;
                         if (::read(signalPipe[1], &number, 1) != 1) {
                             return;
                         }
                         notifier->setEnabled(false);
                         if (cancelJobs) {
                             cancelJobs();
                         }
                         QCoreApplication::exit(128 + number);
                     });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(number, &action, nullptr);
    }
}
