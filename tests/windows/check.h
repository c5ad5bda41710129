// A small test runner for the Windows test host, which runs under Wine where GoogleTest
// is not built: named tests registered at start-up, checks that record a failure and go
// on, and a summary with a non-zero exit status when anything failed.
#pragma once

#include <source_location>
#include <sstream>
#include <string>

namespace zenthor::wintest {

using TestFunction = void (*)();

// Registers a test at start-up; tests run in the order of registration per file.
struct TestRegistration {
    TestRegistration(const char* name, TestFunction function);
};

#define WINDOWS_TEST(name)                                                             \
    static void name();                                                                \
    static const ::zenthor::wintest::TestRegistration name##Registration(#name, name); \
    static void name()

// Runs every registered test whose name contains `filter` (all when empty); returns
// the number of failed tests.
int RunTests(const std::string& filter);

// Records a failure of the running test, with the place of the check.
void Fail(const std::string& message, std::source_location where);

inline bool Expect(bool condition, const std::string& what,
                   std::source_location where = std::source_location::current()) {
    if (!condition) Fail(what, where);
    return condition;
}

template <class Actual, class Expected>
bool ExpectEq(const Actual& actual, const Expected& expected, const std::string& what,
              std::source_location where = std::source_location::current()) {
    if (actual == expected) return true;
    std::ostringstream message;
    message << what << ": got [" << actual << "], expected [" << expected << "]";
    Fail(message.str(), where);
    return false;
}

// A failure that ends the running test at once (a precondition of the rest of it).
struct TestAborted {};

inline void Require(bool condition, const std::string& what,
                    std::source_location where = std::source_location::current()) {
    if (!condition) {
        Fail(what, where);
        throw TestAborted{};
    }
}

}  // namespace zenthor::wintest
