// Runtime services every part of the program relies on: the value helpers over texts and byte
// sets, the fatal-error report, and starting threads.
#pragma once
#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

// A text is a byte string in code page 936; the empty string stands for the null text.
using Text = std::string;
// Raw bytes (image data, generated code, downloads); the empty vector is the null byte set.
using ByteSet = std::vector<std::uint8_t>;

// The texts one after another.
Text ConcatTexts(std::initializer_list<std::string_view> parts);
// The bytes of all parts in order (empty when every part is empty).
ByteSet ConcatByteSets(std::initializer_list<const ByteSet*> parts);
// Byte-wise comparison of unsigned bytes: -1, 0 or 1. An empty text equals "".
int CompareTexts(std::string_view a, std::string_view b);
// Bytes before the first NUL.
std::size_t TextLength(std::string_view text);
// A text made of the bytes up to the first NUL (the whole set when there is none).
Text TextFromBytes(const ByteSet& bytes);
// `count` bytes copied from `address` (a number's little-endian bytes with count 4 or 2).
ByteSet BytesAt(const void* address, std::size_t count);

// Number of elements of an array with the given dimension sizes: their product, 0 for none.
std::size_t ElementCount(std::initializer_list<std::size_t> dimensionSizes);
template <typename T> std::size_t ElementCount(const std::vector<T>& array) {
    return array.size();
}

// Error numbers the program's own code can raise, with their messages.
enum class RuntimeError {
    NumberExpected = 2,
    StackUnbalanced = 6,
    NegativeArraySize = 10,
};
const char* RuntimeErrorMessage(RuntimeError error);

// The text of the fatal-error box: the header, then the error number and the message, each
// only when given.
Text FatalReportText(std::optional<int> errorNumber, std::optional<Text> message);
// Message for an allocation of `size` bytes that failed.
Text AllocationFailureMessage(std::size_t size);
// Message for an external entry that cannot be resolved; `library` may be empty.
Text MissingEntryMessage(std::string_view library, std::string_view entry);

// Shows the fatal-error box and ends the process with exit code -1; nothing is cleaned up.
[[noreturn]] void ReportFatalError(std::optional<int> errorNumber, std::optional<Text> message);
[[noreturn]] void ReportFatalError(RuntimeError error);

// Makes a failed allocation anywhere in the program end in the fatal-error report. Called first
// thing at start-up.
void InstallAllocationFailureReport();

// Runs routine(parameter) on a new thread; true when the thread was created. With `handleOut`
// the thread handle is stored there and stays open for the caller; otherwise it is closed.
using ThreadRoutine = void (*)(std::intptr_t parameter);
bool StartThread(ThreadRoutine routine, std::intptr_t parameter, HANDLE* handleOut = nullptr);

} // namespace varnel
