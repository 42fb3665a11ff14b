#include "widgets/LbButtonThread.h"

TLbButtonThread::TLbButtonThread(std::function<void(TLbButtonThread*)> onTick) {
    timer_.setInterval(kTickMs);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout,
                     [this, onTick = std::move(onTick)] { onTick(this); });
}
