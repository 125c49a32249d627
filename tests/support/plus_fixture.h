// GDI+ for the tests of the drawing-object library and its users: started once per test
// program, and a fixture that proves each test leaves no native object behind.
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

// Base fixture: the count of live wrapped objects is back at its baseline after the test.
// Checked when the fixture is destroyed, after wrappers held by derived fixtures are gone.
class PlusTest : public ::testing::Test {
protected:
    PlusTest() : baseline_(plus::LiveObjectCount()) {}
    ~PlusTest() override {
        EXPECT_EQ(plus::LiveObjectCount(), baseline_) << "a wrapped GDI+ object was left behind";
    }

private:
    int baseline_ = 0;
};

} // namespace testing_support
