#include "tests/windows/check.h"

#include "platform/windows_api.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <vector>

namespace zenthor::wintest {
namespace {

struct RegisteredTest {
    const char* name;
    TestFunction function;
};

std::vector<RegisteredTest>& Registry() {
    static std::vector<RegisteredTest> tests;
    return tests;
}

int g_failuresInTest = 0;

// Ends the process when one test runs far longer than any should: a dialog that never
// appears or never closes would otherwise block the run until the outer time limit,
// without saying which test hung. Only waits and terminates; it sends no messages.
class Watchdog {
public:
    Watchdog(const char* testName, DWORD milliseconds)
        : m_name(testName),
          m_milliseconds(milliseconds),
          m_done(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
        m_thread = CreateThread(nullptr, 0, &Watchdog::Run, this, 0, nullptr);
    }
    ~Watchdog() {
        SetEvent(m_done);
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        CloseHandle(m_done);
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    static DWORD WINAPI Run(void* self) {
        auto* watchdog = static_cast<Watchdog*>(self);
        if (WaitForSingleObject(watchdog->m_done, watchdog->m_milliseconds) == WAIT_TIMEOUT) {
            std::printf("[ HUNG     ] %s did not finish within %lu s\n", watchdog->m_name,
                        static_cast<unsigned long>(watchdog->m_milliseconds / 1000));
            std::fflush(stdout);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        return 0;
    }

    const char* m_name;
    DWORD m_milliseconds;
    HANDLE m_done;
    HANDLE m_thread = nullptr;
};

constexpr DWORD kTestTimeLimitMs = 60'000;

}  // namespace

TestRegistration::TestRegistration(const char* name, TestFunction function) {
    Registry().push_back({name, function});
}

void Fail(const std::string& message, std::source_location where) {
    ++g_failuresInTest;
    std::printf("  %s:%u: %s\n", where.file_name(), static_cast<unsigned>(where.line()), message.c_str());
    std::fflush(stdout);
}

int RunTests(const std::string& filter) {
    int failedTests = 0;
    int ranTests = 0;
    for (const RegisteredTest& test : Registry()) {
        if (!filter.empty() && std::string(test.name).find(filter) == std::string::npos) continue;
        ++ranTests;
        g_failuresInTest = 0;
        std::printf("[ RUN      ] %s\n", test.name);
        std::fflush(stdout);
        const auto start = std::chrono::steady_clock::now();
        {
            Watchdog watchdog(test.name, kTestTimeLimitMs);
            try {
                test.function();
            } catch (const TestAborted&) {
            } catch (const std::exception& error) {
                Fail(std::string("exception: ") + error.what(), std::source_location::current());
            }
        }
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                .count();
        std::printf("[ %s ] %s (%lld ms)\n", g_failuresInTest == 0 ? "      OK" : "  FAILED", test.name,
                    static_cast<long long>(ms));
        std::fflush(stdout);
        if (g_failuresInTest != 0) ++failedTests;
    }
    std::printf("%d tests ran, %d passed, %d failed\n", ranTests, ranTests - failedTests, failedTests);
    return ranTests == 0 ? 1 : failedTests;
}

}  // namespace zenthor::wintest
