// Asks for far more memory than any machine has, after installing the program's report.
#include "app/runtime.h"

#include <cstdio>
#include <limits>

int main() {
    varnel::InstallAllocationFailureReport();
    // Larger than any address space of the target, so it fails on x86 and x64 alike.
    volatile std::size_t size = std::numeric_limits<std::size_t>::max() - 65535;
    char* block = new char[size];
    // Not reached: the report ends the process.
    std::printf("allocated %p\n", static_cast<void*>(block));
    return 1;
}
