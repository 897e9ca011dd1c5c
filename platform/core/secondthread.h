#pragma once

#include <atomic>
#include <optional>
#include <QtGlobal>
#include <stop_token>
#include <system_error>
#include <thread>

namespace tessaly {

// From this many items on, work over them is worth the start of a second thread (some tens of
// microseconds): the sort of a folder's names, the prediction's first look at each file, the
// new names of a run.
constexpr qsizetype WorthASecondThread = 2048;

// Work done in a second thread while the caller goes on. The work gets the thread's stop token
// and this object, through which it tells how many of its items are finished; the caller
// waits for an item with waitFor. Where the machine gives no thread, started() is false and the
// caller does the work itself. Destruction asks the work to stop and waits for the thread.
class SecondThread {
public:
    template <typename Work> explicit SecondThread(Work work)
    {
        try {
            m_thread = std::jthread([this, work = std::move(work)](std::stop_token stop) mutable {
                work(stop, *this);
                m_state.fetch_or(Finished, std::memory_order_release);
                m_state.notify_one();
            });
        } catch (const std::system_error&) { // no thread to be had
        }
    }
    SecondThread(const SecondThread&) = delete;
    SecondThread& operator=(const SecondThread&) = delete;

    bool started() const { return m_thread.joinable(); }
    // Told by the work: its first n items are finished. Every telling may wake the caller, so
    // work tells every few dozen items, not every one.
    void done(qsizetype n)
    {
        m_state.store(quint64(n), std::memory_order_release);
        m_state.notify_one();
    }
    // Waits until item k of the work is finished (true) or the work ended before it (false).
    bool waitFor(qsizetype k)
    {
        quint64 state = m_state.load(std::memory_order_acquire);
        while ((state & ~Finished) <= quint64(k) && !(state & Finished)) {
            m_state.wait(state, std::memory_order_acquire);
            state = m_state.load(std::memory_order_acquire);
        }
        return (state & ~Finished) > quint64(k);
    }

private:
    static constexpr quint64 Finished = quint64(1) << 62;
    std::atomic<quint64> m_state{0}; // items finished, and whether the work has ended
    std::jthread m_thread;           // last: started once the rest is in place, stopped first
};

// Runs `work(from, to)` over [0, count): from WorthASecondThread on, the first half here and the
// second in a second thread, both done when it returns; for fewer, or where no thread is to be
// had, all of it here. The two halves may share data only to read it. Returns where the first
// half ended: `count` where it was all done here.
template <typename Work> qsizetype inTwoHalves(qsizetype count, Work work)
{
    qsizetype here = count;
    std::optional<SecondThread> second;
    if (count >= WorthASecondThread) {
        second.emplace([&work, count](std::stop_token, SecondThread&) { work(count / 2, count); });
        if (second->started())
            here = count / 2;
    }
    work(0, here);
    return here;
}

} // namespace tessaly
