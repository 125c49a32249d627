// Runs the accessibility probe (tests/accessibility_probe) as a second process against a window
// of this one, pumping this thread's messages meanwhile: the probe's calls reach the window's
// accessible object through this thread's message queue.
#pragma once
#include <windows.h>

#include "support/process.h"
#include "support/windows.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace probe_testing {

inline std::string ProbePath() {
    return testing_support::WindowsPath(VARNEL_BINARY_DIR
                                        "/tests/accessibility_probe/accessibility_probe.exe");
}

// A running probe: started with its arguments, its output read line by line.
class Probe {
public:
    explicit Probe(const std::vector<std::string>& arguments) {
        static int serial = 0;
        char name[MAX_PATH];
        std::snprintf(name, sizeof name, "%s\\varnel-probe-%lu-%d.txt", TempFolder().c_str(),
                      GetCurrentProcessId(), ++serial);
        output_ = name;
        DeleteFileA(output_.c_str());
        std::string line = "\"" + ProbePath() + "\" \"" + output_ + "\"";
        for (const std::string& a : arguments)
            line += " \"" + a + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        started_ = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &startup, &info_) != FALSE;
    }
    ~Probe() {
        if (!started_) return;
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(info_.hProcess, 1);
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
        DeleteFileA(output_.c_str());
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    bool Started() const { return started_; }

    // Pumps messages until the probe ends (true) or the time is up (false).
    bool Finish(std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
        if (!started_) return false;
        return testing_support::PumpMessagesUntil(
            [&] { return WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0; }, timeout);
    }
    // Pumps messages until the output holds a line equal to `line`.
    bool WaitForLine(const std::string& line,
                     std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
        return testing_support::PumpMessagesUntil(
            [&] {
                for (const std::string& l : Lines())
                    if (l == line) return true;
                return false;
            },
            timeout);
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::ifstream file(output_);
        std::string line;
        while (std::getline(file, line))
            lines.push_back(line);
        return lines;
    }

private:
    static std::string TempFolder() {
        char folder[MAX_PATH] = {};
        GetTempPathA(sizeof folder, folder);
        std::string path = folder;
        while (!path.empty() && (path.back() == '\\' || path.back() == '/'))
            path.pop_back();
        return path;
    }

    std::string output_;
    PROCESS_INFORMATION info_{};
    bool started_ = false;
};

inline std::string HandleText(HWND window) {
    return std::to_string(reinterpret_cast<INT_PTR>(window));
}

// Code page 936 text as UTF-8, as the probe writes names.
inline std::string Utf8FromCp936(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(
        static_cast<size_t>(MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()),
                                                wide.data(), static_cast<int>(wide.size()))));
    std::string utf8(wide.size() * 4 + 1, '\0');
    utf8.resize(static_cast<size_t>(
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                            static_cast<int>(utf8.size()), nullptr, nullptr)));
    return utf8;
}

// The fields of one probe line "id|kind|role|state|l,t,w,h|name".
struct ProbeChild {
    long id = 0;
    std::string kind;
    long role = 0;
    long state = 0;
    RECT location{};
    std::string name;
};

inline ProbeChild ParseChild(const std::string& line) {
    ProbeChild child;
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    for (int i = 0; i < 5 && std::getline(in, field, '|'); ++i)
        fields.push_back(field);
    std::getline(in, child.name);
    if (fields.size() < 5) return child;
    child.id = std::stol(fields[0]);
    child.kind = fields[1];
    child.role = std::stol(fields[2]);
    child.state = std::stol(fields[3]);
    long l = 0, t = 0, w = 0, h = 0;
    std::sscanf(fields[4].c_str(), "%ld,%ld,%ld,%ld", &l, &t, &w, &h);
    child.location = RECT{l, t, l + w, t + h};
    return child;
}

} // namespace probe_testing
