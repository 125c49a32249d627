// The base every wrapper shares: start-up tokens, status, text conversion, ownership.
#include "support/plus_fixture.h"
#include "test_objects.h"

#include "plus/plus_image.h"
#include "plus/plus_path.h"

#include <utility>

using plus_tests::TestMatrix;
using testing_support::PlusTest;

TEST(PlusStartup, SecondShutdownWithoutTokenDoesNothing) {
    const ULONG_PTR token = plus::StartupGdiPlus();
    ASSERT_NE(token, 0u);
    EXPECT_EQ(plus::GdiPlusToken(), token);
    plus::ShutdownGdiPlus();
    EXPECT_EQ(plus::GdiPlusToken(), 0u);
    plus::ShutdownGdiPlus(); // nothing left to shut down
    // The program's own start-up is untouched and GDI+ still works.
    EXPECT_TRUE(plus::GdiPlusRunning());
    TestMatrix m;
    EXPECT_TRUE(m.Create());
}

TEST(PlusText, ToWideTextConvertsCodePage936AndTerminates) {
    const plus::ByteSet wide = plus::ToWideText("宋体");
    ASSERT_EQ(wide.size(), 6u);
    EXPECT_EQ(wide[0] | (wide[1] << 8), 0x5B8B);
    EXPECT_EQ(wide[2] | (wide[3] << 8), 0x4F53);
    EXPECT_EQ(wide[4] | wide[5], 0);
    EXPECT_EQ(plus::ToWideText(""), plus::ByteSet(2, 0));
    EXPECT_EQ(plus::ToWideBytes(L"宋体"), wide);
}

TEST(PlusText, WideArgumentStopsAtTerminatorOrEnd) {
    plus::ByteSet bytes = plus::ToWideBytes(L"ab");
    EXPECT_EQ(plus::WideArg::FromBytes(bytes).Length(), 2);
    bytes.resize(3); // "a" and half a unit, no terminator
    const plus::WideArg arg = plus::WideArg::FromBytes(bytes);
    EXPECT_EQ(arg.Length(), 1);
    EXPECT_EQ(arg.Data()[1], L'\0');
    EXPECT_EQ(plus::WideArg::FromText("宋体").Length(), 2);
}

using PlusObjectTest = PlusTest;

TEST_F(PlusObjectTest, ReleaseTwiceSecondReturnsFalseAndKeepsStatus) {
    const int baseline = plus::LiveObjectCount();
    TestMatrix m;
    ASSERT_TRUE(m.Create());
    EXPECT_EQ(plus::LiveObjectCount(), baseline + 1);
    EXPECT_TRUE(m.DeleteMatrix());
    EXPECT_EQ(m.GetHandle(), nullptr);
    EXPECT_EQ(m.Native(), nullptr);
    EXPECT_EQ(plus::LiveObjectCount(), baseline);
    // A failing call elsewhere sets the status; the second release must not touch it.
    TestMatrix empty;
    EXPECT_TRUE(empty.Elements() == std::vector<float>(6, 0.0f));
    plus::Record(Gdiplus::InvalidParameter);
    EXPECT_FALSE(m.DeleteMatrix());
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
}

// The count follows native objects, not wrappers: a native dropped or replaced without being
// released stays counted.
TEST_F(PlusObjectTest, SetHandleReachesTheClassCopyAndCreatingAgainReleasesTheFirst) {
    const int baseline = plus::LiveObjectCount();
    TestMatrix m;
    ASSERT_TRUE(m.Create(2, 0, 0, 2, 5, 6));
    EXPECT_EQ(m.Native(), m.GetHandle());
    ASSERT_TRUE(m.Create()); // the first matrix is released, not leaked
    EXPECT_EQ(plus::LiveObjectCount(), baseline + 1);
    EXPECT_EQ(m.Elements()[4], 0.0f);
    void* held = m.GetHandle();
    m.SetHandle(nullptr); // detaches without deleting: still a live native object
    EXPECT_EQ(m.Native(), nullptr);
    EXPECT_EQ(plus::LiveObjectCount(), baseline + 1);
    ASSERT_TRUE(m.Create(1, 0, 0, 1, 0, 0));
    EXPECT_EQ(plus::LiveObjectCount(), baseline + 2) << "the dropped matrix is seen";
    m.DeleteMatrix();
    m.SetHandle(held);
    EXPECT_EQ(m.Native(), held);
    EXPECT_EQ(m.Elements()[5], 0.0f);
    EXPECT_TRUE(m.DeleteMatrix());
    EXPECT_EQ(plus::LiveObjectCount(), baseline);
}

// A creation or clone that fails leaves the wrapper holding what it held; one that succeeds
// releases the held object.
TEST_F(PlusObjectTest, FailedCreationKeepsTheHeldObject) {
    const int baseline = plus::LiveObjectCount();
    plus::PlusPath empty, path, copy;
    ASSERT_TRUE(path.CreatePath());
    ASSERT_TRUE(path.AddRectangle(1, 2, 3, 4));
    ASSERT_TRUE(copy.CreatePath());
    void* held = copy.GetHandle();
    EXPECT_FALSE(empty.Clone(copy));
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
    EXPECT_EQ(copy.GetHandle(), held);
    EXPECT_EQ(plus::LiveObjectCount(), baseline + 2);
    ASSERT_TRUE(path.Clone(copy));
    EXPECT_NE(copy.GetHandle(), held);
    EXPECT_EQ(copy.GetPointCount(), 4);
    EXPECT_EQ(plus::LiveObjectCount(), baseline + 2) << "the first copy is released";

    plus::PlusBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(3, 5));
    held = bitmap.GetHandle();
    EXPECT_FALSE(bitmap.CreateFromFile("Z:\\no\\such\\file.png"));
    EXPECT_NE(plus::LastStatus(), plus::Ok);
    EXPECT_EQ(bitmap.GetHandle(), held);
    EXPECT_EQ(bitmap.GetWidth(), 3u);
    EXPECT_EQ(bitmap.GetHeight(), 5u);
}

TEST_F(PlusObjectTest, MovingTransfersOwnershipOnce) {
    const int baseline = plus::LiveObjectCount();
    TestMatrix a;
    ASSERT_TRUE(a.Create(1, 0, 0, 1, 7, 8));
    void* native = a.GetHandle();
    TestMatrix b(std::move(a));
    EXPECT_EQ(a.GetHandle(), nullptr);
    EXPECT_EQ(a.Native(), nullptr);
    EXPECT_EQ(b.GetHandle(), native);
    EXPECT_EQ(b.Native(), native);
    EXPECT_EQ(b.Elements()[5], 8.0f);
    EXPECT_EQ(plus::LiveObjectCount(), baseline + 1);
    EXPECT_FALSE(a.DeleteMatrix());
}

TEST_F(PlusObjectTest, AllocAndFreeUseTheGdiPlusAllocator) {
    TestMatrix m;
    void* p = m.Alloc(64);
    ASSERT_NE(p, nullptr);
    m.Free(p);
}
