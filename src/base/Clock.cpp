#include "Clock.h"

#include <QElapsedTimer>
#include <QThread>

qint64 RealClock::NowMs() const {
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

void RealClock::Sleep(int ms) {
    if (ms > 0) QThread::msleep(static_cast<unsigned long>(ms));
}
