#pragma once
// Shared by the benchmarks of windows.

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <ctime>

// Sees how long the GUI thread went without running its timers (a 5 ms timer:
// fine enough for stalls of tens of milliseconds, and light enough not to slow
// down what it watches),
// in wall time and in the thread's own CPU time, which does not grow while
// other processes hold the processor: it shows our own stalls on a busy machine.
class Heartbeat {
public:
    Heartbeat()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { beat(); });
        m_timer.start();
        m_sinceBeat.start();
    }
    double longestMilliseconds()
    {
        beat();
        return m_longest;
    }
    double longestCpuMilliseconds() const { return m_longestCpu; }

private:
    static double threadCpuMilliseconds()
    {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
    }
    void beat()
    {
        m_longest = std::max(m_longest, double(m_sinceBeat.nsecsElapsed()) / 1e6);
        m_sinceBeat.restart();
        const double cpu = threadCpuMilliseconds();
        m_longestCpu = std::max(m_longestCpu, cpu - m_cpuAtBeat);
        m_cpuAtBeat = cpu;
    }
    QTimer m_timer;
    QElapsedTimer m_sinceBeat;
    double m_longest = 0;
    double m_cpuAtBeat = threadCpuMilliseconds();
    double m_longestCpu = 0;
};
