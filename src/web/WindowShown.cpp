#include "web/WindowShown.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <utility>

namespace {
constexpr int kMostWaitMs = 1000;

// Waits for the window's first exposure; the work runs after the drawing that exposure brings.
class TExposureWait : public QObject {
  public:
    TExposureWait(QWindow* window, QWidget* owner, std::function<void()> then)
        : QObject(owner), then_(std::move(then)) {
        window->installEventFilter(this);
        QTimer::singleShot(kMostWaitMs, this, &TExposureWait::Run);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, &TExposureWait::Run);  // once the window is drawn
        }
        return false;
    }

  private:
    void Run() {
        if (then_) {
            std::exchange(then_, nullptr)();
            deleteLater();
        }
    }

    std::function<void()> then_;
};
}  // namespace

void WhenWindowShown(QWidget* widget, std::function<void()> then) {
    QTimer::singleShot(0, widget, [widget, then = std::move(then)]() mutable {
        QWidget* top = widget->window();
        QWindow* window = top->windowHandle();
        if (!top->isVisible() || !window || window->isExposed()) {
            then();
            return;
        }
        new TExposureWait(window, widget, std::move(then));
    });
}
