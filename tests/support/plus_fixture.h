// GDI+ for the tests of the drawing-object library and its users: started once per test
// program, and a check that proves each test leaves no native object behind.
#pragma once

#include "plus/plus_object.h"

#include <gtest/gtest.h>

namespace testing_support {

class GdiPlusEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        token_ = plus::StartupGdiPlus();
        ASSERT_NE(token_, 0u) << "GDI+ did not start";
    }
    // By token: a test may start and shut down GDI+ once more itself.
    void TearDown() override { plus::ShutdownGdiPlus(token_); }

private:
    ULONG_PTR token_ = 0;
};

// Registered once per program, whichever test files include this header.
inline ::testing::Environment* const gdiPlusEnvironment =
    ::testing::AddGlobalTestEnvironment(new GdiPlusEnvironment);

// Every test of a program that includes this header is checked: the native GDI+ objects
// created through wrappers and not yet released are as many after the test (its fixture gone)
// as before it. Runs before the result printer, so a leak makes the test print as failed.
class LiveObjectCheck : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override { baseline_ = plus::LiveObjectCount(); }
    void OnTestEnd(const ::testing::TestInfo&) override {
        const int left = plus::LiveObjectCount() - baseline_;
        if (left != 0)
            ADD_FAILURE() << left << " wrapped GDI+ object(s) left behind (or released twice)";
    }

private:
    int baseline_ = 0;
};

inline bool InstallLiveObjectCheck() {
    ::testing::TestEventListeners& listeners = ::testing::UnitTest::GetInstance()->listeners();
    ::testing::TestEventListener* printer = listeners.Release(listeners.default_result_printer());
    listeners.Append(new LiveObjectCheck);
    if (printer) listeners.Append(printer);
    return true;
}
inline const bool liveObjectCheckInstalled = InstallLiveObjectCheck();

// Base of the fixtures of tests that create wrapped objects (the check above covers them).
class PlusTest : public ::testing::Test {};

} // namespace testing_support
