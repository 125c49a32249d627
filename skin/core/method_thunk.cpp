#include "skin/core/method_thunk.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace skin {

namespace {

class CodeWriter {
public:
    void Bytes(std::initializer_list<std::uint8_t> bytes) {
        code_.insert(code_.end(), bytes.begin(), bytes.end());
    }
    void U16(std::uint16_t v) { Little(v, 2); }
    void U32(std::uint32_t v) { Little(v, 4); }
    void U64(std::uint64_t v) { Little(v, 8); }
    std::size_t Size() const { return code_.size(); }
    std::vector<std::uint8_t>& Code() { return code_; }

private:
    void Little(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i)
            code_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    std::vector<std::uint8_t> code_;
};

bool ArgumentCountValid(int argumentCount) {
    return argumentCount >= 0 && argumentCount <= kMaxThunkArguments;
}

// x64 register numbers as the instruction encoding uses them.
enum Reg : int { RAX = 0, RCX = 1, RDX = 2, R8 = 8, R9 = 9 };
constexpr Reg kArgumentRegisters[4] = {RCX, RDX, R8, R9};

// mov [rsp + disp32], reg
void StoreToStack(CodeWriter& w, Reg reg, std::uint32_t disp) {
    w.Bytes({static_cast<std::uint8_t>(reg >= 8 ? 0x4C : 0x48), 0x89,
             static_cast<std::uint8_t>(0x84 | ((reg & 7) << 3)), 0x24});
    w.U32(disp);
}

// mov rax, [rsp + disp32]
void LoadRaxFromStack(CodeWriter& w, std::uint32_t disp) {
    w.Bytes({0x48, 0x8B, 0x84, 0x24});
    w.U32(disp);
}

// mov dst, src
void MoveRegister(CodeWriter& w, Reg dst, Reg src) {
    w.Bytes({static_cast<std::uint8_t>(0x48 | (src >= 8 ? 4 : 0) | (dst >= 8 ? 1 : 0)), 0x89,
             static_cast<std::uint8_t>(0xC0 | ((src & 7) << 3) | (dst & 7))});
}

// Bytes reserved below the return address: home space plus outgoing stack arguments, chosen so
// that rsp is 16-byte aligned at the call.
std::uint32_t X64FrameSize(int operationArguments) {
    const std::uint32_t outgoing = 8u * static_cast<std::uint32_t>(std::max(4, operationArguments));
    return outgoing % 16 == 0 ? outgoing + 8 : outgoing;
}

constexpr std::size_t kHeaderSize = 8;    // {int32 1, int32 length}
constexpr std::size_t kX64PrologSize = 7; // sub rsp, imm32

#if defined(_WIN64)
// Unwind data for the x64 code, so stack walks (debuggers, exception dispatch) can pass through
// a thunk frame: one RUNTIME_FUNCTION and its UNWIND_INFO describing `sub rsp, F`.
struct ThunkUnwindData {
    RUNTIME_FUNCTION function;
    std::uint8_t info[8];
};

bool ReadX64FrameSize(std::span<const std::uint8_t> code, std::uint32_t& frame) {
    if (code.size() < kX64PrologSize || code[0] != 0x48 || code[1] != 0x81 || code[2] != 0xEC)
        return false;
    frame = code[3] | code[4] << 8 | code[5] << 16 | static_cast<std::uint32_t>(code[6]) << 24;
    return frame % 8 == 0 && frame / 8 <= 0xFFFF;
}
#endif

} // namespace

std::vector<std::uint8_t> X86ThunkCode(std::uint32_t objectAddress, std::uint32_t operationAddress,
                                       int argumentCount, bool passEcx, bool callerCleans) {
    if (!ArgumentCountValid(argumentCount)) return {};
    const std::uint32_t argumentBytes = 4u * static_cast<std::uint32_t>(argumentCount);
    CodeWriter w;
    w.Bytes({0x55});       // push ebp
    w.Bytes({0x8B, 0xEC}); // mov ebp, esp
    w.Bytes({0x68});       // push object (the cell at ebp-4)
    w.U32(objectAddress);
    w.Bytes({0x53});             // push ebx
    w.Bytes({0x51});             // push ecx
    w.Bytes({0x56});             // push esi
    w.Bytes({0x57});             // push edi
    w.Bytes({0x6A, 0x00});       // push 0 (cell for the FPU control word)
    w.Bytes({0xD9, 0x3C, 0x24}); // fnstcw [esp]
    w.Bytes({0xDB, 0xE3});       // fninit
    if (argumentCount > 0) {
        w.Bytes({0xB9}); // mov ecx, argument bytes
        w.U32(argumentBytes);
        w.Bytes({0x2B, 0xE1});       // sub esp, ecx
        w.Bytes({0x8D, 0x75, 0x08}); // lea esi, [ebp+8]
        w.Bytes({0x8D, 0x3C, 0x24}); // lea edi, [esp]
        w.Bytes({0xFC});             // cld
        w.Bytes({0xF3, 0xA4});       // rep movsb
        w.Bytes({0x8B, 0x4D, 0xF4}); // mov ecx, [ebp-0Ch]
        w.Bytes({0x8B, 0x75, 0xF0}); // mov esi, [ebp-10h]
        w.Bytes({0x8B, 0x7D, 0xEC}); // mov edi, [ebp-14h]
    }
    if (passEcx) w.Bytes({0x51}); // push ecx
    w.Bytes({0x8D, 0x45, 0xFC});  // lea eax, [ebp-4]
    w.Bytes({0x50});              // push eax
    w.Bytes({0xB8});              // mov eax, operation
    w.U32(operationAddress);
    w.Bytes({0xFF, 0xD0});       // call eax
    w.Bytes({0x8B, 0x5D, 0xF8}); // mov ebx, [ebp-8]
    w.Bytes({0x8B, 0x4D, 0xF4}); // mov ecx, [ebp-0Ch]
    w.Bytes({0x8B, 0x75, 0xF0}); // mov esi, [ebp-10h]
    w.Bytes({0x8B, 0x7D, 0xEC}); // mov edi, [ebp-14h]
    w.Bytes({0xD9, 0x6D, 0xE8}); // fldcw [ebp-18h]
    w.Bytes({0x8B, 0xE5});       // mov esp, ebp
    w.Bytes({0x5D});             // pop ebp
    w.Bytes({0xC2});             // ret N
    w.U16(static_cast<std::uint16_t>(callerCleans ? 0 : argumentBytes));
    return std::move(w.Code());
}

std::vector<std::uint8_t> X64ThunkCode(std::uint64_t objectAddress, std::uint64_t operationAddress,
                                       int argumentCount, bool passEcx) {
    if (!ArgumentCountValid(argumentCount)) return {};
    // What the operation receives after the cell: sources[i] is either one of the caller's
    // register arguments or the caller's stack argument k (1-based, k >= 5).
    struct Source {
        bool inRegister;
        Reg reg;
        int callerArgument;
    };
    std::vector<Source> sources;
    if (passEcx) sources.push_back({true, RCX, 0});
    for (int k = 1; k <= argumentCount; ++k) {
        if (k <= 4)
            sources.push_back({true, kArgumentRegisters[k - 1], k});
        else
            sources.push_back({false, RAX, k});
    }
    const int operationArguments = 1 + static_cast<int>(sources.size());
    const std::uint32_t frame = X64FrameSize(operationArguments);

    CodeWriter w;
    w.Bytes({0x48, 0x81, 0xEC}); // sub rsp, frame
    w.U32(frame);
    // Stack arguments of the operation first: they read the caller's registers and stack
    // before any register is overwritten. Caller's argument k sits at [rsp + frame + 8k].
    for (int j = 4; j < operationArguments; ++j) {
        const Source& s = sources[static_cast<std::size_t>(j - 1)];
        const std::uint32_t destination = 8u * static_cast<std::uint32_t>(j);
        if (s.inRegister) {
            StoreToStack(w, s.reg, destination);
        } else {
            LoadRaxFromStack(w, frame + 8u * static_cast<std::uint32_t>(s.callerArgument));
            StoreToStack(w, RAX, destination);
        }
    }
    // Register arguments, highest first: each reads a lower register not yet overwritten.
    for (int j = std::min(operationArguments - 1, 3); j >= 1; --j) {
        const Source& s = sources[static_cast<std::size_t>(j - 1)];
        MoveRegister(w, kArgumentRegisters[j], s.reg);
    }
    // lea rcx, [rip + cell]; the displacement is patched once the code length is known.
    w.Bytes({0x48, 0x8D, 0x0D});
    const std::size_t cellDisplacementAt = w.Size();
    w.U32(0);
    const std::size_t afterLea = w.Size();
    w.Bytes({0x48, 0xB8}); // mov rax, operation
    w.U64(operationAddress);
    w.Bytes({0xFF, 0xD0}); // call rax
    w.Bytes({0x48, 0x81, 0xC4});
    w.U32(frame);    // add rsp, frame
    w.Bytes({0xC3}); // ret
    while (w.Size() % 8 != 0)
        w.Bytes({0xCC});
    const auto displacement = static_cast<std::uint32_t>(w.Size() - afterLea);
    auto& code = w.Code();
    for (int i = 0; i < 4; ++i)
        code[cellDisplacementAt + i] = static_cast<std::uint8_t>(displacement >> (8 * i));
    w.U64(objectAddress); // the cell
    return std::move(code);
}

MethodThunk MethodThunk::Make(const void* object, std::span<const OperationEntry> table,
                              int methodNumber, int argumentCount, bool passEcx,
                              bool callerCleans) {
    if (methodNumber < 1 || static_cast<std::size_t>(methodNumber) > table.size()) return {};
    const OperationEntry entry = table[static_cast<std::size_t>(methodNumber - 1)];
    if (entry == nullptr) return {};
    const auto objectAddress = reinterpret_cast<std::uintptr_t>(object);
    const auto operationAddress = reinterpret_cast<std::uintptr_t>(entry);
#if defined(_WIN64)
    (void)callerCleans; // the x64 caller always removes its own arguments
    return FromCode(X64ThunkCode(objectAddress, operationAddress, argumentCount, passEcx));
#else
    return FromCode(X86ThunkCode(static_cast<std::uint32_t>(objectAddress),
                                 static_cast<std::uint32_t>(operationAddress), argumentCount,
                                 passEcx, callerCleans));
#endif
}

MethodThunk MethodThunk::FromCode(std::span<const std::uint8_t> code) {
    if (code.empty()) return {};
    std::size_t size = kHeaderSize + code.size();
#if defined(_WIN64)
    std::uint32_t frame = 0;
    const bool unwindable = ReadX64FrameSize(code, frame);
    const std::size_t unwindAt = (size + 7) & ~std::size_t{7};
    if (unwindable) size = unwindAt + sizeof(ThunkUnwindData);
#endif
    // Filled while read-write, then switched to execute-read: never both at once.
    void* memory = VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (memory == nullptr) return {};
    auto* block = static_cast<std::uint8_t*>(memory);
    const std::int32_t header[2] = {1, static_cast<std::int32_t>(code.size())};
    std::memcpy(block, header, sizeof header);
    std::memcpy(block + kHeaderSize, code.data(), code.size());
#if defined(_WIN64)
    ThunkUnwindData* unwind = nullptr;
    if (unwindable) {
        unwind = reinterpret_cast<ThunkUnwindData*>(block + unwindAt);
        const auto infoOffset =
            static_cast<DWORD>(unwindAt + offsetof(ThunkUnwindData, info) - kHeaderSize);
        unwind->function.BeginAddress = 0;
        unwind->function.EndAddress = static_cast<DWORD>(code.size());
        unwind->function.UnwindData = infoOffset;
        const std::uint8_t info[8] = {1,              // version 1, no flags
                                      kX64PrologSize, // prolog: sub rsp, imm32
                                      2,              // two unwind code slots
                                      0,              // no frame register
                                      kX64PrologSize, // code offset after the prolog
                                      0x01,           // UWOP_ALLOC_LARGE, size / 8 in the next slot
                                      static_cast<std::uint8_t>(frame / 8),
                                      static_cast<std::uint8_t>((frame / 8) >> 8)};
        std::memcpy(unwind->info, info, sizeof info);
    }
#endif
    DWORD previous = 0;
    if (!VirtualProtect(memory, size, PAGE_EXECUTE_READ, &previous)) {
        VirtualFree(memory, 0, MEM_RELEASE);
        return {};
    }
    FlushInstructionCache(GetCurrentProcess(), memory, size);
#if defined(_WIN64)
    if (unwind != nullptr)
        RtlAddFunctionTable(&unwind->function, 1, reinterpret_cast<DWORD64>(block + kHeaderSize));
#endif
    MethodThunk thunk;
    thunk.block_ = block;
    thunk.blockSize_ = size;
    return thunk;
}

MethodThunk::~MethodThunk() {
    Release();
}

MethodThunk::MethodThunk(MethodThunk&& other) noexcept
    : block_(std::exchange(other.block_, nullptr)), blockSize_(std::exchange(other.blockSize_, 0)) {
}

MethodThunk& MethodThunk::operator=(MethodThunk&& other) noexcept {
    if (this != &other) {
        Release();
        block_ = std::exchange(other.block_, nullptr);
        blockSize_ = std::exchange(other.blockSize_, 0);
    }
    return *this;
}

void MethodThunk::Release() {
    if (block_ == nullptr) return;
#if defined(_WIN64)
    std::uint32_t frame = 0;
    if (ReadX64FrameSize(Code(), frame)) {
        const std::size_t unwindAt = (kHeaderSize + Code().size() + 7) & ~std::size_t{7};
        RtlDeleteFunctionTable(&reinterpret_cast<ThunkUnwindData*>(block_ + unwindAt)->function);
    }
#endif
    VirtualFree(block_, 0, MEM_RELEASE);
    block_ = nullptr;
    blockSize_ = 0;
}

std::span<const std::uint8_t> MethodThunk::Code() const {
    if (block_ == nullptr) return {};
    std::int32_t length = 0;
    std::memcpy(&length, block_ + 4, sizeof length);
    return {block_ + kHeaderSize, static_cast<std::size_t>(length)};
}

std::uintptr_t MethodThunk::Address() const {
    return block_ == nullptr ? 0 : reinterpret_cast<std::uintptr_t>(block_ + kHeaderSize);
}

} // namespace skin
