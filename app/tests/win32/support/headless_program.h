// Running the real velmora-headless.exe from a copy in a folder of its own, its standard
// streams in files (so its lines arrive in the ANSI code page, GBK under the Chinese
// locale), and the service manager's view of its service. Files, not pipes: a process
// Wine starts on the program's behalf (its service manager, after the Wine server was
// restarted) can inherit a pipe's end and hold it open long after the program ended.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

#include "base/types.h"

namespace velmora {

// The built velmora-headless.exe.
std::wstring built_headless_program();

// A copy of velmora-headless.exe in `folder` (made when missing) started with
// `arguments`, `input` on its standard input. Ended at the latest by the destructor.
class HeadlessProgram {
  public:
    HeadlessProgram(const std::wstring& folder, const std::wstring& arguments,
                    const std::string& input = {}, DWORD creation_flags = 0);
    ~HeadlessProgram();
    HeadlessProgram(const HeadlessProgram&) = delete;
    HeadlessProgram& operator=(const HeadlessProgram&) = delete;

    HANDLE process() const { return info_.hProcess; }
    DWORD id() const { return info_.dwProcessId; }
    // The exit code once it has ended within `limit`, else -1; then its streams are whole.
    long exit_code_within(std::chrono::milliseconds limit);
    // What it wrote so far (GBK under the Chinese locale).
    Text out() const;
    Text err() const;

  private:
    PROCESS_INFORMATION info_{};
    std::wstring in_path_;
    std::wstring out_path_;
    std::wstring err_path_;
};

// velmora-headless.exe `arguments` in `folder`, run to its end (at most 60 s): the exit
// code, and its streams.
struct HeadlessResult {
    long exit_code = -1;
    Text out;
    Text err;
};
HeadlessResult run_headless_program(const std::wstring& folder, const std::wstring& arguments,
                                    const std::string& input = {});

// Removes any service named Velmora a failed earlier run left behind.
void remove_leftover_service();

}  // namespace velmora
