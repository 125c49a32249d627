#include "app/runtime.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

namespace varnel {

Text ConcatTexts(std::initializer_list<std::string_view> parts) {
    std::size_t total = 0;
    for (auto part : parts)
        total += TextLength(part);
    Text result;
    result.reserve(total);
    for (auto part : parts)
        result.append(part.substr(0, TextLength(part)));
    return result;
}

ByteSet ConcatByteSets(std::initializer_list<const ByteSet*> parts) {
    ByteSet result;
    for (const ByteSet* part : parts) {
        if (part) result.insert(result.end(), part->begin(), part->end());
    }
    return result;
}

int CompareTexts(std::string_view a, std::string_view b) {
    a = a.substr(0, TextLength(a));
    b = b.substr(0, TextLength(b));
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::size_t TextLength(std::string_view text) {
    const auto nul = text.find('\0');
    return nul == std::string_view::npos ? text.size() : nul;
}

Text TextFromBytes(const ByteSet& bytes) {
    const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return Text(bytes.begin(), end);
}

ByteSet BytesAt(const void* address, std::size_t count) {
    if (!address || count == 0) return {};
    const auto* first = static_cast<const std::uint8_t*>(address);
    return ByteSet(first, first + count);
}

std::size_t ElementCount(std::initializer_list<std::size_t> dimensionSizes) {
    if (dimensionSizes.size() == 0) return 0;
    std::size_t count = 1;
    for (auto size : dimensionSizes)
        count *= size;
    return count;
}

const char* RuntimeErrorMessage(RuntimeError error) {
    switch (error) {
        case RuntimeError::NumberExpected: return "未得到所需要的数值型数据";
        case RuntimeError::StackUnbalanced: return "调用DLL命令后发现堆栈错误";
        case RuntimeError::NegativeArraySize:
            return "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零";
    }
    return "";
}

Text FatalReportText(std::optional<int> errorNumber, std::optional<Text> message) {
    Text text = "运行时出错!\r\n\r\n";
    if (errorNumber) text += ConcatTexts({"错误代码：", std::to_string(*errorNumber), "\r\n\r\n"});
    if (message) text += ConcatTexts({"错误信息：", *message, "\r\n"});
    return text;
}

// The formatting helpers below must not allocate through operator new: they also run when an
// allocation has just failed. Fixed buffers on the stack are enough for these short texts.
namespace {
template <typename... Args> Text Format(const char* format, Args... args) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}
} // namespace

// The size is printed whole: on x64 a request can exceed what a 32-bit %d would show.
Text AllocationFailureMessage(std::size_t size) {
    return Format("分配 %llu 字节内存失败!", static_cast<unsigned long long>(size));
}

Text MissingEntryMessage(std::string_view library, std::string_view entry) {
    const std::string lib(library), ent(entry);
    if (lib.empty()) return Format("无法找到指定DLL库文件中的输出命令“%s”", ent.c_str());
    return Format("无法找到指定DLL库文件“%s”中的输出命令“%s”", lib.c_str(), ent.c_str());
}

namespace {
[[noreturn]] void ShowFatalBoxAndExit(const char* text) {
    MessageBoxA(nullptr, text, "Varnel", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(static_cast<UINT>(-1));
}
} // namespace

void ReportFatalError(std::optional<int> errorNumber, std::optional<Text> message) {
    const Text text = FatalReportText(errorNumber, std::move(message));
    ShowFatalBoxAndExit(text.c_str());
}

void ReportFatalError(RuntimeError error) {
    ReportFatalError(static_cast<int>(error), Text(RuntimeErrorMessage(error)));
}

// Size of the allocation in progress on this thread, for the allocation-failure report.
namespace {
thread_local std::size_t requestedSize = 0;

void ReportAllocationFailure() {
    // Building the report allocates; with the heap exhausted that could fail again, so the
    // text is composed in a stack buffer and shown without touching operator new.
    char text[512];
    std::snprintf(text, sizeof text, "运行时出错!\r\n\r\n错误信息：分配 %llu 字节内存失败!\r\n",
                  static_cast<unsigned long long>(requestedSize));
    ShowFatalBoxAndExit(text);
}
} // namespace

void InstallAllocationFailureReport() {
    std::set_new_handler(ReportAllocationFailure);
}

namespace {
struct ThreadStart {
    ThreadRoutine routine;
    std::intptr_t parameter;
};

DWORD WINAPI ThreadEntry(void* raw) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(raw));
    start->routine(start->parameter);
    return 0;
}
} // namespace

bool StartThread(ThreadRoutine routine, std::intptr_t parameter, HANDLE* handleOut) {
    if (!routine) return false;
    auto start = std::make_unique<ThreadStart>(ThreadStart{routine, parameter});
    HANDLE thread = CreateThread(nullptr, 0, ThreadEntry, start.get(), 0, nullptr);
    if (!thread) return false;
    start.release(); // the thread owns it now
    if (handleOut)
        *handleOut = thread;
    else
        CloseHandle(thread);
    return true;
}

} // namespace varnel

// The global allocation function, replaced only to remember the requested size for the
// report; it otherwise follows the standard loop (new-handler, else std::bad_alloc). Blocks
// come from malloc, which the standard operator delete releases with free.
void* operator new(std::size_t size) {
    if (size == 0) size = 1;
    for (;;) {
        if (void* block = std::malloc(size)) return block;
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        varnel::requestedSize = size;
        handler();
    }
}
