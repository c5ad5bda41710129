// The one thread that waits for requests: every open connection that is not being answered
// sits here, so a client that sends its request slowly, or keeps an idle connection open,
// holds no thread that answers. A connection gets one deadline for its whole head,
// however its bytes arrive; a head that is whole goes to `onHead`, one that grows past the
// bounds of browse_request.h gets 431, one that misses its deadline 408. A connection that
// ends is closed only after the client has stopped sending (or a short while has passed),
// so that it reads its answer rather than a reset.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/browse/connection.h"
#include "app/support/unique_fd.h"

namespace zenthor {

class HeadReader {
public:
    using OnHead = std::function<void(std::unique_ptr<Connection>)>;

    // `headTime`: how long a connection may take to send a whole head, counted from when
    // it is handed over (accepted, or its last answer sent).
    HeadReader(std::chrono::milliseconds headTime, OnHead onHead);
    ~HeadReader();  // Stop
    HeadReader(const HeadReader&) = delete;
    HeadReader& operator=(const HeadReader&) = delete;

    // Waits for the connection's next head. Safe from any thread.
    void Read(std::unique_ptr<Connection> connection);
    // Sends `answer` (may be empty) and closes the connection once the client has stopped
    // sending. Safe from any thread.
    void Close(std::unique_ptr<Connection> connection, std::string answer = {});
    // Closes every connection it holds and stops; those whose whole head has arrived get
    // `answer` first. Connections handed over later are closed at once.
    void Stop(const std::string& answer = {});

private:
    struct Held {
        std::unique_ptr<Connection> connection;
        bool closing = false;
        std::size_t discarded = 0;  // closing: bytes read and dropped
    };

    void Hand(Held held);
    void Loop();
    // Handles what arrived on `held`; false when it leaves this thread (dispatched or closed).
    bool Receive(Held& held);
    void StartClosing(Held& held, int status);

    std::chrono::milliseconds m_headTime;
    OnHead m_onHead;
    UniqueFd m_wakeRead;
    UniqueFd m_wakeWrite;
    std::mutex m_mutex;
    std::vector<Held> m_incoming;
    bool m_stopped = false;
    std::vector<Held> m_held;  // the thread's own
    std::thread m_thread;
};

}  // namespace zenthor
