#pragma once

#include <QtGlobal>
#include <system_error>
#include <thread>

namespace tessaly {

// From this many names on, work per name is worth the start of a second thread.
constexpr qsizetype SharedHalves = 4096;

// Runs `work(from, to)` over [0, count): from SharedHalves on, the first half here and the
// second in a thread of its own, both done when it returns; for fewer, or where no thread is to
// be had, all of it here. The two halves may share data only to read it. Returns where the
// first half ended: `count` where it was all done here.
template <typename Work> qsizetype inTwoHalves(qsizetype count, Work work)
{
    qsizetype here = count;
    std::jthread second;
    if (count >= SharedHalves) {
        try {
            second = std::jthread([&work, count] { work(count / 2, count); });
            here = count / 2;
        } catch (const std::system_error&) { // no thread to be had
        }
    }
    work(0, here);
    return here;
}

} // namespace tessaly
