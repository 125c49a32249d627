// Asks for far more memory than any machine has, after installing the program's report.
#include "app/runtime.h"

#include <cstdio>

int main() {
    varnel::InstallAllocationFailureReport();
    volatile std::size_t size = std::size_t{1} << 50;
    char* block = new char[size];
    // Not reached: the report ends the process.
    std::printf("allocated %p\n", static_cast<void*>(block));
    return 1;
}
