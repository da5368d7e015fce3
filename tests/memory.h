#pragma once

// What the memory tests measure, read from the system each runs on. A reading of -1 means the
// system gives none, and the test skips its memory check rather than pass it unmeasured.

#include <QFile>
#include <QList>
#include <QtGlobal>

#if defined(__GLIBC__)
#include <malloc.h>
#elif defined(Q_OS_WIN)
// windows.h would otherwise define min and max as macros, which break std::min and std::max.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// psapi.h takes the types that windows.h declares.
#include <psapi.h>
#endif

namespace memory {

/// Bytes the heap has handed out and not had back, large blocks mapped apart included.
inline qint64 heapInUse()
{
#if defined(__GLIBC__)
    const struct mallinfo2 now = mallinfo2();
    return qint64(now.uordblks + now.hblkhd);
#elif defined(Q_OS_WIN)
    // Private bytes: what the process has committed for itself, its heaps among them.
    PROCESS_MEMORY_COUNTERS_EX counters {};
    if (!GetProcessMemoryInfo(GetCurrentProcess(),
            reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&counters), sizeof counters))
        return -1;
    return qint64(counters.PrivateUsage);
#else
    return -1;
#endif
}

/// Bytes of the process that are in memory now.
inline qint64 residentBytes()
{
#if defined(Q_OS_LINUX)
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * 4096 : -1;
#elif defined(Q_OS_WIN)
    PROCESS_MEMORY_COUNTERS counters {};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return -1;
    return qint64(counters.WorkingSetSize);
#else
    return -1;
#endif
}

} // namespace memory
