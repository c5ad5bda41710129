// One computation per key, however many threads ask at once: the first caller computes and
// the others asking for the same key wait for its result. A kept result is reused while the
// caller's check accepts it; otherwise the next caller computes it again.
#pragma once

#include <cstdint>
#include <future>
#include <map>
#include <mutex>
#include <optional>

namespace zenthor {

template <typename Key, typename Value>
class KeyedMemo {
public:
    // The value for `key`: the kept one when `stillGood(kept)` says so, else what `compute()`
    // returns, run by this caller while others asking for `key` wait for it. A computation
    // that throws keeps nothing new, and its waiters get the exception. Both run without the
    // memo's lock, so they may take long and other keys go on meanwhile.
    template <typename StillGood, typename Compute>
    Value Get(const Key& key, StillGood stillGood, Compute compute) {
        for (;;) {
            std::optional<Value> kept;
            std::shared_future<Value> pending;
            std::uint64_t generation = 0;
            {
                std::lock_guard lock(m_mutex);
                const Slot& slot = m_slots[key];
                kept = slot.kept;
                pending = slot.pending;
                generation = slot.generation;
            }
            if (pending.valid()) {
                return pending.get();
            }
            if (kept && stillGood(*kept)) {
                return *kept;
            }
            std::promise<Value> promise;
            {
                std::lock_guard lock(m_mutex);
                Slot& slot = m_slots[key];
                if (slot.pending.valid() || slot.generation != generation) {
                    continue;  // another caller started or finished a computation meanwhile
                }
                slot.pending = promise.get_future().share();
            }
            std::optional<Value> value;
            try {
                value.emplace(compute());
            } catch (...) {
                Settle(key, std::nullopt);
                promise.set_exception(std::current_exception());
                throw;
            }
            Settle(key, value);
            promise.set_value(*value);
            return *value;
        }
    }

    // The kept value for `key` when no computation of it runs and `stillGood(kept)` says so:
    // what Get would answer at once, without computing.
    template <typename StillGood>
    std::optional<Value> Kept(const Key& key, StillGood stillGood) {
        std::optional<Value> kept;
        {
            std::lock_guard lock(m_mutex);
            const auto slot = m_slots.find(key);
            if (slot == m_slots.end() || slot->second.pending.valid()) return std::nullopt;
            kept = slot->second.kept;
        }
        return kept && stillGood(*kept) ? kept : std::nullopt;
    }

private:
    struct Slot {
        std::optional<Value> kept;
        std::shared_future<Value> pending;
        std::uint64_t generation = 0;  // counts finished computations
    };

    void Settle(const Key& key, const std::optional<Value>& value) {
        std::lock_guard lock(m_mutex);
        Slot& slot = m_slots[key];
        if (value) {
            slot.kept = value;
        }
        slot.pending = {};
        ++slot.generation;
    }

    std::mutex m_mutex;
    std::map<Key, Slot> m_slots;
};

}  // namespace zenthor
