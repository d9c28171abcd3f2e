#pragma once

#include <atomic>
#include <functional>

// A cooperative stop signal owned by the caller. Walking functions poll it between
// entries; a default-constructed token is never cancelled.
class CancellationToken {
public:
    CancellationToken() = default;
    explicit CancellationToken(std::function<bool()> isCancelled) : m_isCancelled(std::move(isCancelled)) {}
    static CancellationToken fromFlag(const std::atomic_bool& flag)
    {
        return CancellationToken([&flag] { return flag.load(std::memory_order_relaxed); });
    }

    bool isCancelled() const { return m_isCancelled && m_isCancelled(); }
    // Throws CancellationError when the caller has asked to stop.
    void throwIfCancelled() const;

private:
    std::function<bool()> m_isCancelled;
};
