#pragma once

#include <QApplication>

// The program's application object. An exception that escapes a handler on the user-interface
// thread ends that handler only: its text goes to the standard error report, a message box, and
// the program goes on.
class TApplication : public QApplication {
  public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
