// Writes the 32-bit x86 code the thunk generator makes, for the emulator test (this machine runs
// no 32-bit code, so the bytes are executed by an x86 emulator instead).
//
//   x86_thunk_code OBJECT OPERATION COUNT:PASSECX:CALLERCLEANS...
//
// One line per case: the code bytes as hexadecimal, or "empty" when the generator makes none.
#include "skin/core/method_thunk.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: x86_thunk_code OBJECT OPERATION COUNT:PASSECX:CALLERCLEANS...\n");
        return 2;
    }
    const auto object = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 0));
    const auto operation = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 0));
    for (int i = 3; i < argc; ++i) {
        int count = 0, passEcx = 0, callerCleans = 0;
        if (std::sscanf(argv[i], "%d:%d:%d", &count, &passEcx, &callerCleans) != 3) {
            std::fprintf(stderr, "x86_thunk_code: bad case %s\n", argv[i]);
            return 2;
        }
        const auto code =
            skin::X86ThunkCode(object, operation, count, passEcx != 0, callerCleans != 0);
        if (code.empty()) std::fputs("empty", stdout);
        for (std::uint8_t byte : code)
            std::printf("%02x", byte);
        std::fputc('\n', stdout);
    }
    return 0;
}
