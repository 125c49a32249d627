// Method thunks: the x86 code byte for byte (checked here even though only the x64 build runs),
// and the x64 code executed for real, as a window procedure and as a plain function.
#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>
#include <cstdint>
#include <utility>
#include <vector>

#include "skin/core/method_thunk.h"

using skin::MethodThunk;
using skin::OperationEntry;
using skin::X86ThunkCode;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::uint32_t kObject = 0x11223344;
constexpr std::uint32_t kOperation = 0xA1B2C3D4;

// The four-argument thunk written out by hand, instruction by instruction.
const Bytes kFourArgumentThunk = {
    0x55,                         // push ebp
    0x8B, 0xEC,                   // mov ebp, esp
    0x68, 0x44, 0x33, 0x22, 0x11, // push object
    0x53, 0x51, 0x56, 0x57,       // push ebx, ecx, esi, edi
    0x6A, 0x00,                   // push 0
    0xD9, 0x3C, 0x24,             // fnstcw [esp]
    0xDB, 0xE3,                   // fninit
    0xB9, 0x10, 0x00, 0x00, 0x00, // mov ecx, 16
    0x2B, 0xE1,                   // sub esp, ecx
    0x8D, 0x75, 0x08,             // lea esi, [ebp+8]
    0x8D, 0x3C, 0x24,             // lea edi, [esp]
    0xFC,                         // cld
    0xF3, 0xA4,                   // rep movsb
    0x8B, 0x4D, 0xF4,             // mov ecx, [ebp-0Ch]
    0x8B, 0x75, 0xF0,             // mov esi, [ebp-10h]
    0x8B, 0x7D, 0xEC,             // mov edi, [ebp-14h]
    0x8D, 0x45, 0xFC,             // lea eax, [ebp-4]
    0x50,                         // push eax
    0xB8, 0xD4, 0xC3, 0xB2, 0xA1, // mov eax, operation
    0xFF, 0xD0,                   // call eax
    0x8B, 0x5D, 0xF8,             // mov ebx, [ebp-8]
    0x8B, 0x4D, 0xF4,             // mov ecx, [ebp-0Ch]
    0x8B, 0x75, 0xF0,             // mov esi, [ebp-10h]
    0x8B, 0x7D, 0xEC,             // mov edi, [ebp-14h]
    0xD9, 0x6D, 0xE8,             // fldcw [ebp-18h]
    0x8B, 0xE5,                   // mov esp, ebp
    0x5D,                         // pop ebp
    0xC2, 0x10, 0x00,             // ret 16
};

Bytes Tail(const Bytes& code, std::size_t n) {
    return Bytes(code.end() - n, code.end());
}

} // namespace

TEST(X86ThunkCode, FourArgumentsIsTheFullSequence) {
    const Bytes code = X86ThunkCode(kObject, kOperation, 4);
    ASSERT_EQ(code.size(), 76u);
    EXPECT_EQ(code, kFourArgumentThunk);
    EXPECT_EQ(Tail(code, 3), (Bytes{0xC2, 0x10, 0x00}));
}

TEST(X86ThunkCode, LengthAndReturnFollowTheArgumentCount) {
    const Bytes two = X86ThunkCode(kObject, kOperation, 2);
    ASSERT_EQ(two.size(), 76u);
    EXPECT_EQ(Tail(two, 3), (Bytes{0xC2, 0x08, 0x00}));
    EXPECT_EQ(two[20], 0x08); // mov ecx, 8

    // Without arguments there is nothing to copy: the copy block (25 bytes) is left out.
    const Bytes none = X86ThunkCode(kObject, kOperation, 0);
    ASSERT_EQ(none.size(), 51u);
    Bytes expected(kFourArgumentThunk.begin(), kFourArgumentThunk.begin() + 19);
    expected.insert(expected.end(), kFourArgumentThunk.begin() + 44, kFourArgumentThunk.end());
    expected[expected.size() - 2] = 0x00;
    EXPECT_EQ(none, expected);

    const Bytes most = X86ThunkCode(kObject, kOperation, 256);
    ASSERT_EQ(most.size(), 76u);
    EXPECT_EQ(Tail(most, 3), (Bytes{0xC2, 0x00, 0x04}));
    EXPECT_TRUE(X86ThunkCode(kObject, kOperation, 257).empty());
    EXPECT_TRUE(X86ThunkCode(kObject, kOperation, -1).empty());
}

TEST(X86ThunkCode, OptionsChangeExactlyTheirBytes) {
    // Pass-ecx adds one `push ecx` just before the object argument is pushed.
    const Bytes withEcx = X86ThunkCode(kObject, kOperation, 4, true);
    Bytes expected = kFourArgumentThunk;
    expected.insert(expected.begin() + 44, 0x51);
    EXPECT_EQ(withEcx, expected);

    // Caller-cleans only turns `ret 16` into `ret 0`.
    const Bytes callerCleans = X86ThunkCode(kObject, kOperation, 4, false, true);
    expected = kFourArgumentThunk;
    expected[74] = 0x00;
    EXPECT_EQ(callerCleans, expected);
}

TEST(MethodThunk, EmptyForNullEntryOrTooManyArguments) {
    int object = 0;
    const std::array<OperationEntry, 2> table = {nullptr,
                                                 reinterpret_cast<OperationEntry>(&GetTickCount)};
    EXPECT_TRUE(MethodThunk::Make(&object, table, 1, 4).Empty());
    EXPECT_TRUE(MethodThunk::Make(&object, table, 2, 257).Empty());
    EXPECT_TRUE(MethodThunk::Make(&object, table, 3, 0).Empty()); // beyond the table
    EXPECT_TRUE(MethodThunk::Make(&object, table, 0, 0).Empty());
    const MethodThunk empty;
    EXPECT_EQ(skin::ThunkAddress(empty), 0u);
    EXPECT_TRUE(empty.Code().empty());

    const MethodThunk made = MethodThunk::Make(&object, table, 2, 256);
    ASSERT_FALSE(made.Empty());
    // The block keeps its {1, length} header right before the code.
    const auto* header = reinterpret_cast<const std::int32_t*>(made.Address() - 8);
    EXPECT_EQ(header[0], 1);
    EXPECT_EQ(header[1], static_cast<std::int32_t>(made.Code().size()));
}

TEST(MethodThunk, CodePagesAreExecutableButNeverWritable) {
    int object = 0;
    const std::array<OperationEntry, 1> table = {reinterpret_cast<OperationEntry>(&GetTickCount)};
    const MethodThunk thunk = MethodThunk::Make(&object, table, 1, 4);
    ASSERT_FALSE(thunk.Empty());
    MEMORY_BASIC_INFORMATION info{};
    ASSERT_NE(VirtualQuery(reinterpret_cast<void*>(thunk.Address()), &info, sizeof info), 0u);
    EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_EXECUTE_READ));

    const MethodThunk copy = thunk.Copy();
    ASSERT_FALSE(copy.Empty());
    EXPECT_NE(copy.Address(), thunk.Address());
    EXPECT_TRUE(std::equal(copy.Code().begin(), copy.Code().end(), thunk.Code().begin(),
                           thunk.Code().end()));
    ASSERT_NE(VirtualQuery(reinterpret_cast<void*>(copy.Address()), &info, sizeof info), 0u);
    EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_EXECUTE_READ));
}

#if defined(_WIN64)

namespace {

struct Target {
    int id = 0;
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    int calls = 0;
    std::array<INT_PTR, 14> arguments{};
    const void* cell = nullptr;
};

constexpr UINT kProbe = WM_APP + 7;
constexpr LRESULT kProbeResult = static_cast<LRESULT>(0x7EDCBA9876543210LL);

LRESULT WINAPI TargetWindowProc(Target* const* self, HWND window, UINT message, WPARAM wParam,
                                LPARAM lParam) {
    Target* target = *self;
    if (message != kProbe) return DefWindowProcA(window, message, wParam, lParam);
    target->window = window;
    target->message = message;
    target->wParam = wParam;
    target->lParam = lParam;
    ++target->calls;
    return kProbeResult + target->id;
}

// Records up to 14 arguments; thunks with fewer arguments leave the rest unread by the test.
INT_PTR WINAPI RecordArguments(Target* const* self, INT_PTR a1, INT_PTR a2, INT_PTR a3, INT_PTR a4,
                               INT_PTR a5, INT_PTR a6, INT_PTR a7, INT_PTR a8, INT_PTR a9,
                               INT_PTR a10, INT_PTR a11, INT_PTR a12, INT_PTR a13, INT_PTR a14) {
    Target* target = *self;
    target->cell = self;
    target->arguments = {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14};
    ++target->calls;
    return 1000 + target->id;
}

template <std::size_t... I> INT_PTR CallWith(std::uintptr_t address, std::index_sequence<I...>) {
    using Function = INT_PTR (*)(decltype(I, INT_PTR{})...);
    return reinterpret_cast<Function>(address)(
        static_cast<INT_PTR>(0x0101010101010101LL * static_cast<INT_PTR>(I + 1))...);
}

template <std::size_t N> void ExpectArgumentsForwarded(bool passEcx) {
    Target target;
    target.id = static_cast<int>(N);
    const std::array<OperationEntry, 1> table = {
        reinterpret_cast<OperationEntry>(&RecordArguments)};
    const MethodThunk thunk = MethodThunk::Make(&target, table, 1, static_cast<int>(N), passEcx);
    ASSERT_FALSE(thunk.Empty());
    EXPECT_EQ(CallWith(thunk.Address(), std::make_index_sequence<N>{}), 1000 + target.id);
    EXPECT_EQ(target.calls, 1);
    ASSERT_NE(target.cell, nullptr);
    EXPECT_EQ(*static_cast<Target* const*>(target.cell), &target);
    std::size_t first = 0;
    if (passEcx && N > 0) { // the caller's rcx, which on x64 is its first argument
        EXPECT_EQ(target.arguments[0], 0x0101010101010101LL) << N;
        first = 1;
    }
    for (std::size_t i = 0; i < N && first + i < target.arguments.size(); ++i)
        EXPECT_EQ(target.arguments[first + i],
                  static_cast<INT_PTR>(0x0101010101010101LL * static_cast<INT_PTR>(i + 1)))
            << "argument " << i + 1 << " of " << N;
}

} // namespace

TEST(MethodThunkX64, RunsAsTheWindowProcedureOfARealWindow) {
    Target target;
    target.id = 5;
    const std::array<OperationEntry, 3> table = {
        nullptr, nullptr, reinterpret_cast<OperationEntry>(&TargetWindowProc)};
    const MethodThunk thunk = MethodThunk::Make(&target, table, 3, 4);
    ASSERT_FALSE(thunk.Empty());

    HWND window = CreateWindowExA(0, "STATIC", "thunk", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    const LONG_PTR previous =
        SetWindowLongPtrA(window, GWLP_WNDPROC, static_cast<LONG_PTR>(thunk.Address()));
    ASSERT_NE(previous, 0);

    const WPARAM wParam = static_cast<WPARAM>(0xFEDCBA9876543210ULL);
    const LPARAM lParam = -1234567890123LL;
    EXPECT_EQ(SendMessageA(window, kProbe, wParam, lParam), kProbeResult + 5);
    EXPECT_EQ(target.calls, 1);
    EXPECT_EQ(target.window, window);
    EXPECT_EQ(target.message, kProbe);
    EXPECT_EQ(target.wParam, wParam);
    EXPECT_EQ(target.lParam, lParam);

    // Other messages reach the default procedure through the thunk as well.
    EXPECT_TRUE(SetWindowTextA(window, "renamed"));
    char text[32] = {};
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ(text, "renamed");

    SetWindowLongPtrA(window, GWLP_WNDPROC, previous);
    DestroyWindow(window);
}

TEST(MethodThunkX64, ForwardsEveryArgumentAndTheResult) {
    ExpectArgumentsForwarded<0>(false);
    ExpectArgumentsForwarded<1>(false);
    ExpectArgumentsForwarded<2>(false);
    ExpectArgumentsForwarded<3>(false);
    ExpectArgumentsForwarded<4>(false);
    ExpectArgumentsForwarded<5>(false);
    ExpectArgumentsForwarded<7>(false);
    ExpectArgumentsForwarded<14>(false);
}

TEST(MethodThunkX64, PassEcxAddsTheCallersFirstRegister) {
    ExpectArgumentsForwarded<1>(true);
    ExpectArgumentsForwarded<3>(true);
    ExpectArgumentsForwarded<4>(true);
    ExpectArgumentsForwarded<6>(true);
    ExpectArgumentsForwarded<13>(true);
}

TEST(MethodThunkX64, CopyStillCallsTheOriginalObject) {
    Target target;
    const std::array<OperationEntry, 1> table = {
        reinterpret_cast<OperationEntry>(&RecordArguments)};
    MethodThunk copy;
    {
        const MethodThunk original = MethodThunk::Make(&target, table, 1, 2);
        copy = original.Copy();
    }
    EXPECT_EQ(CallWith(copy.Address(), std::make_index_sequence<2>{}), 1000);
    EXPECT_EQ(target.calls, 1);
}

#endif

#if defined(_WIN64)
namespace {
INT_PTR WINAPI ThrowFromOperation(Target* const*, INT_PTR a1, INT_PTR, INT_PTR, INT_PTR,
                                  INT_PTR a5) {
    throw std::runtime_error(std::to_string(a1 + a5));
}
} // namespace

TEST(MethodThunkX64, UnwindDataLetsExceptionsPassThroughTheThunkFrame) {
    Target target;
    const std::array<OperationEntry, 1> table = {
        reinterpret_cast<OperationEntry>(&ThrowFromOperation)};
    const MethodThunk thunk = MethodThunk::Make(&target, table, 1, 5);
    ASSERT_FALSE(thunk.Empty());
    DWORD64 base = 0;
    EXPECT_NE(RtlLookupFunctionEntry(thunk.Address() + 3, &base, nullptr), nullptr);
    EXPECT_EQ(base, thunk.Address());
    // The unwind data allocates what the prolog does, also past 255 slots (two bytes).
    for (int count : {0, 5, skin::kMaxThunkArguments}) {
        const MethodThunk t = MethodThunk::Make(&target, table, 1, count, true);
        const auto* f = RtlLookupFunctionEntry(t.Address(), &base, nullptr);
        ASSERT_NE(f, nullptr) << count;
        const auto* info = reinterpret_cast<const std::uint8_t*>(base + f->UnwindData);
        const std::span<const std::uint8_t> code = t.Code();
        EXPECT_EQ((info[6] | info[7] << 8) * 8, code[3] | code[4] << 8 | code[5] << 16) << count;
    }
    using Function = INT_PTR (*)(INT_PTR, INT_PTR, INT_PTR, INT_PTR, INT_PTR);
    try {
        reinterpret_cast<Function>(thunk.Address())(1, 2, 3, 4, 5);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "6");
    }
}
#endif
