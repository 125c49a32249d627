// A program started as its own process by a test, ended when the test is done with it.
#pragma once
#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

namespace testing_support {

// A host path ("/work/...") as Wine's programs see it ("Z:/work/..."); other paths unchanged.
std::string WindowsPath(std::string path);

class Process {
public:
    // Starts `program` (a host or Windows path) without arguments.
    explicit Process(const std::string& program);
    // Terminates the process when it is still running.
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Started() const { return started_; }
    DWORD Id() const { return info_.dwProcessId; }
    // The exit code, or nothing when the process is still running after `timeout`.
    std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout) const;

private:
    PROCESS_INFORMATION info_{};
    bool started_ = false;
};

} // namespace testing_support
