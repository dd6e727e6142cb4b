#pragma once

#include <QString>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace vantel::platform {

// The bookkeeping behind a DispatchQueue: a FIFO of waiting blocks and the
// count of blocks running now. Blocks hold it through a shared_ptr, so it
// outlives the DispatchQueue object while work is pending.
class DispatchQueueState : public std::enable_shared_from_this<DispatchQueueState> {
public:
    DispatchQueueState(const QString& label, bool serial);

    const QString label;
    const bool serial;

    // Queues the block; it runs on the worker pool when its turn comes.
    void submit(bool exclusive, std::function<void()> block);
    // Waits for the turn of a block that the caller then runs on its own
    // thread; finish(exclusive) must follow.
    void acquire(bool exclusive);
    void finish(bool exclusive);

private:
    struct Waiting {
        bool exclusive;
        std::function<void()> block; // empty for a caller waiting in acquire()
        std::uint64_t ticket;
    };

    // Starts what may start now; called with the lock held.
    void pumpLocked();
    bool canEnterNowLocked(bool exclusive) const;

    std::mutex mutex_;
    std::condition_variable turn_;
    std::deque<Waiting> waiting_;
    int runningShared_ = 0;
    bool runningExclusive_ = false;
    std::uint64_t nextTicket_ = 1;
    std::uint64_t admittedUpTo_ = 0; // tickets are admitted in order
};

} // namespace vantel::platform
