// Value helpers, the fatal-error texts and threads.
#include "app/runtime.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace varnel;

TEST(ValueHelpers, ConcatTextsSkipsEmptyPartsAndStopsAtNul) {
    EXPECT_EQ(ConcatTexts({"ab", "", "cd"}), "abcd");
    EXPECT_EQ(ConcatTexts({}), "");
    EXPECT_EQ(ConcatTexts({"", ""}), "");
    // A part holding a NUL contributes only the bytes before it, as a NUL-terminated text would.
    EXPECT_EQ(ConcatTexts({std::string_view("x\0y", 3), "z"}), "xz");
    EXPECT_EQ(ConcatTexts({"已使用次数：", "42"}), "已使用次数：42");
}

TEST(ValueHelpers, ConcatByteSetsOfEmptyPartsIsTheEmptySet) {
    const ByteSet empty;
    const ByteSet a{1, 2};
    const ByteSet b{3};
    EXPECT_TRUE(ConcatByteSets({&empty, &empty}).empty());
    EXPECT_TRUE(ConcatByteSets({nullptr, &empty}).empty());
    EXPECT_EQ(ConcatByteSets({&a, nullptr, &empty, &b}), (ByteSet{1, 2, 3}));
    // Bytes are kept as they are, NULs included.
    const ByteSet zeros{0, 0};
    EXPECT_EQ(ConcatByteSets({&zeros, &a}), (ByteSet{0, 0, 1, 2}));
}

TEST(ValueHelpers, CompareTextsIsBytewiseUnsignedAndEmptyEqualsNull) {
    EXPECT_EQ(CompareTexts("", ""), 0);
    EXPECT_EQ(CompareTexts(std::string_view(), ""), 0);
    EXPECT_EQ(CompareTexts("a", ""), 1);
    EXPECT_EQ(CompareTexts("", "a"), -1);
    EXPECT_EQ(CompareTexts("abc", "abd"), -1);
    EXPECT_EQ(CompareTexts("abd", "abc"), 1);
    EXPECT_EQ(CompareTexts("ab", "abc"), -1);
    // Bytes above 0x7F sort after ASCII (unsigned comparison).
    EXPECT_EQ(CompareTexts("\xB0", "z"), 1);
    EXPECT_EQ(CompareTexts("z", "\xB0"), -1);
    // Only the bytes before a NUL count.
    EXPECT_EQ(CompareTexts(std::string_view("ab\0c", 4), "ab"), 0);
}

TEST(ValueHelpers, LengthsAndBytes) {
    EXPECT_EQ(TextLength(""), 0u);
    EXPECT_EQ(TextLength("已使用"), 6u);
    EXPECT_EQ(TextLength(std::string_view("ab\0cd", 5)), 2u);

    const ByteSet page{'4', '2', 0, '9'};
    EXPECT_EQ(TextFromBytes(page), "42");
    EXPECT_EQ(TextFromBytes({}), "");

    const std::int32_t number = 0x01020304;
    EXPECT_EQ(BytesAt(&number, 4), (ByteSet{4, 3, 2, 1}));
    const std::uint16_t half = 0xBEEF;
    EXPECT_EQ(BytesAt(&half, 2), (ByteSet{0xEF, 0xBE}));
    EXPECT_TRUE(BytesAt(nullptr, 4).empty());
    EXPECT_TRUE(BytesAt(&number, 0).empty());

    EXPECT_EQ(ElementCount({}), 0u);
    EXPECT_EQ(ElementCount({0}), 0u);
    EXPECT_EQ(ElementCount({3, 4}), 12u);
    EXPECT_EQ(ElementCount(std::vector<int>{1, 2, 3}), 3u);
}

TEST(FatalReport, TextsAreComposedFromTheGivenParts) {
    EXPECT_EQ(FatalReportText(std::nullopt, std::nullopt), "运行时出错!\r\n\r\n");
    EXPECT_EQ(FatalReportText(6, std::string(RuntimeErrorMessage(RuntimeError::StackUnbalanced))),
              "运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n");
    EXPECT_EQ(FatalReportText(std::nullopt, AllocationFailureMessage(1024)),
              "运行时出错!\r\n\r\n错误信息：分配 1024 字节内存失败!\r\n");
    EXPECT_EQ(FatalReportText(2, std::nullopt), "运行时出错!\r\n\r\n错误代码：2\r\n\r\n");
}

TEST(FatalReport, MessagesOfErrorsAndMissingEntries) {
    EXPECT_STREQ(RuntimeErrorMessage(RuntimeError::NumberExpected), "未得到所需要的数值型数据");
    EXPECT_STREQ(RuntimeErrorMessage(RuntimeError::NegativeArraySize),
                 "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零");
    EXPECT_EQ(MissingEntryMessage("gdiplus.dll", "GdipFoo"),
              "无法找到指定DLL库文件“gdiplus.dll”中的输出命令“GdipFoo”");
    EXPECT_EQ(MissingEntryMessage("", "#12"), "无法找到指定DLL库文件中的输出命令“#12”");
    // The curly quotes are code page 936 bytes A1 B0 / A1 B1.
    const std::string quoted = MissingEntryMessage("", "x");
    EXPECT_NE(quoted.find("\xA1\xB0x\xA1\xB1"), std::string::npos);
}

namespace {
std::atomic<std::intptr_t> seenParameter{0};
void RecordParameter(std::intptr_t parameter) {
    seenParameter = parameter;
}
} // namespace

TEST(StartThread, RunsTheRoutineWithItsParameterAndHandsOutTheHandle) {
    HANDLE thread = nullptr;
    ASSERT_TRUE(StartThread(RecordParameter, 13, &thread));
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(seenParameter.load(), 13);
    CloseHandle(thread);

    // Without an out-parameter the handle is closed, and the thread still runs.
    ASSERT_TRUE(StartThread(RecordParameter, 7));
    const DWORD start = GetTickCount();
    while (seenParameter.load() != 7 && GetTickCount() - start < 5000)
        Sleep(5);
    EXPECT_EQ(seenParameter.load(), 7);

    EXPECT_FALSE(StartThread(nullptr, 0));
}
