#pragma once

#include <QFile>
#include <QList>
#include <QString>

#include <chrono>
#include <cstdio>
#include <cstdlib>

// Helpers shared by the benchmark and the child programs it launches.
namespace BenchProbe {

// The steady clock in nanoseconds; parent and children read the same clock
// (CLOCK_MONOTONIC on Linux), so their readings can be subtracted.
inline long long steadyNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The process's peak resident set (VmHWM) in KiB, or -1 where it is not reported.
inline long long peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    // /proc files claim a size of 0, so read to the end rather than test atEnd().
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("VmHWM:")) {
            bool ok = false;
            const long long kib = line.mid(6).trimmed().split(' ').value(0).toLongLong(&ok);
            return ok ? kib : -1;
        }
    }
    return -1;
}

// A child's result goes to the parent as "key value" lines; then the child
// ends at once, without tearing down windows the figure does not include.
inline void reportAndExit(const char *key, long long value)
{
    std::printf("%s %lld\n", key, value);
    std::fflush(stdout);
    std::_Exit(0);
}

} // namespace BenchProbe
