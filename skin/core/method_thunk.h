// Method thunks: a few bytes of generated machine code with the shape of a plain function
// (a window procedure, a callback) that forward every call to one operation of one object.
//
// The operation receives, in this order: a pointer to a cell holding the object's address, then
// (with the pass-ecx option) the caller's ecx/rcx, then the caller's own arguments unchanged; its
// result is returned to the caller. Only integer and pointer arguments are forwarded (x64 passes
// floating-point arguments in other registers).
//
// The code lives in its own pages, filled while read-write and then made execute-read, so it is
// never writable and executable at once. As a byte block it keeps the {1, length} header in
// front of the code, so the code starts 8 bytes into the block.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace skin {

// One entry of an object's table of operations. Entries are plain functions whose first
// parameter is the object cell (`Object* const*`), cast to this type to share one table.
using OperationEntry = void (*)();

// Largest argument count a thunk forwards (1024 argument bytes on x86).
inline constexpr int kMaxThunkArguments = 256;

class MethodThunk {
public:
    MethodThunk() = default; // the empty thunk
    ~MethodThunk();
    MethodThunk(MethodThunk&& other) noexcept;
    MethodThunk& operator=(MethodThunk&& other) noexcept;
    MethodThunk(const MethodThunk&) = delete;
    MethodThunk& operator=(const MethodThunk&) = delete;

    // A thunk for entry `methodNumber` (counted from 1; entry n is slot n-1) of `table`, bound
    // to `object`. A null or missing entry, a negative count or more than 256 arguments give
    // the empty thunk. `callerCleans` only matters on x86, where it makes the thunk return with
    // `ret 0` instead of removing its arguments.
    static MethodThunk Make(const void* object, std::span<const OperationEntry> table,
                            int methodNumber, int argumentCount, bool passEcx = false,
                            bool callerCleans = false);

    // A thunk holding exactly the given code bytes (used for copies).
    static MethodThunk FromCode(std::span<const std::uint8_t> code);

    // A new thunk with the same bytes. The object address is part of the code, so the copy
    // still calls the original object.
    MethodThunk Copy() const { return FromCode(Code()); }

    bool Empty() const { return block_ == nullptr; }
    std::span<const std::uint8_t> Code() const;
    // Address of the code (the block plus 8), or 0 for the empty thunk.
    std::uintptr_t Address() const;

private:
    std::uint8_t* block_ = nullptr; // {int32 1, int32 length, code}
    std::size_t blockSize_ = 0;
    void Release();
};

// Address of the thunk's code, 0 for the empty thunk.
inline std::uintptr_t ThunkAddress(const MethodThunk& thunk) {
    return thunk.Address();
}

// The 32-bit x86 code of a thunk: pushes the object address as the cell, saves ebx, ecx, esi,
// edi and the FPU control word, reinitialises the FPU, copies the caller's arguments, calls the
// operation with the cell first and returns with `ret 4*argumentCount` (or `ret 0`).
// Empty for a negative count or more than 256 arguments.
std::vector<std::uint8_t> X86ThunkCode(std::uint32_t objectAddress, std::uint32_t operationAddress,
                                       int argumentCount, bool passEcx = false,
                                       bool callerCleans = false);

// The x64 code of a thunk with the same calling behaviour: shifts the caller's arguments one
// place right (rcx, rdx, r8, r9, then the stack), puts the address of a cell at the end of the
// code (holding `objectAddress`) into rcx, calls the operation and returns its rax. With
// `passEcx` the caller's rcx is forwarded as an extra first argument after the cell.
// Empty for a negative count or more than 256 arguments.
std::vector<std::uint8_t> X64ThunkCode(std::uint64_t objectAddress, std::uint64_t operationAddress,
                                       int argumentCount, bool passEcx = false);

} // namespace skin
