#pragma once

#include <QApplication>
#include <functional>

// The program's application object. An exception that escapes a handler on the user-interface
// thread ends that handler only: its text goes to the standard error report, a message box, and
// the program goes on.
class TApplication : public QApplication {
  public:
    using ErrorReport = std::function<void(const QString& text)>;

    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // Where error texts go instead of the message box (tests); an empty report restores the box.
    static void SetErrorReport(ErrorReport report);
};
