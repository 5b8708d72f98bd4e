#include "firstframeprobe.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

namespace {

long long monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1'000'000'000LL + now.tv_nsec;
}

// The peak resident set so far, in kB, as the kernel counts it.
long peakResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

} // namespace

FirstFrameProbe::FirstFrameProbe(QWidget* window)
{
    window->installEventFilter(this);
}

bool FirstFrameProbe::eventFilter(QObject*, QEvent* event)
{
    if (!m_seen && event->type() == QEvent::Paint) {
        m_seen = true;
        // The window is painted first and its children right after, in the
        // same pass, then the pass flushes: a zero timer fires after all that.
        QTimer::singleShot(0, [] {
            const long long at = monotonicNanoseconds();
            std::printf("firstframe_ns=%lld vmhwm_kb=%ld\n", at, peakResidentKilobytes());
            std::fflush(stdout);
            QApplication::quit();
        });
    }
    return false;
}
