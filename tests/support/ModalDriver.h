#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

// Acts on the next modal dialog once it is shown (tests call this before the code that opens
// it). Gives up silently after timeoutMs so a test never hangs on a dialog that stays away.
inline void WhenModal(std::function<void(QWidget*)> act, int timeoutMs = 5000) {
    auto* timer = new QTimer;
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, act, waited, timeoutMs] {
        *waited += 10;
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) {
            timer->deleteLater();
            timer->stop();
            act(modal);
        } else if (*waited > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}
