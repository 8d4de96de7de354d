#include "Clock.h"

#include <QElapsedTimer>
#include <QThread>

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace {
// A pause of 2 ms after every byte sent is the door phone's pace. The kernel may let a
// sleeping thread oversleep by its timer slack (50 us by default, often much more in a
// container), which over the 5600 pauses of a "Write all" adds seconds. The pauses are
// never shorter than asked; they are only no longer than needed.
void TightenTimerSlack() {
#ifdef __linux__
    thread_local bool done = false;
    if (done) return;
    done = true;
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
}
} // namespace

qint64 RealClock::NowMs() const {
    TightenTimerSlack(); // the thread that drives the engine's timers, from its first look
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

void RealClock::Sleep(int ms) {
    if (ms <= 0) return;
    TightenTimerSlack();
    QThread::msleep(static_cast<unsigned long>(ms));
}
