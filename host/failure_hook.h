// The test hook behind a host call that can be made to fail on request, as a host's
// allocations and calls can: a predicate asked, with the index of each call since it was
// set, whether that call fails. Used, like every host call, on the host's user-interface
// thread only: no lock.
#pragma once

#include <functional>
#include <utility>

namespace zenthor {

class FailureHook {
public:
    // An empty predicate lets every call through.
    void Set(std::function<bool(int callIndex)> fail) {
        m_fail = std::move(fail);
        m_calls = 0;
    }

    // Counts one call; true when it is to fail.
    bool NextCallFails() {
        const int call = m_calls++;
        return m_fail && m_fail(call);
    }

private:
    std::function<bool(int)> m_fail;
    int m_calls = 0;
};

}  // namespace zenthor
