#include "headless_program.h"

#include <algorithm>
#include <mutex>

#include "base/win32/wide_text.h"

namespace velmora {

struct HeadlessProgram::Collected {
    mutable std::mutex mutex;
    Text out;
    Text err;
};

namespace {

void collect(HANDLE pipe, std::mutex& mutex, Text& into) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        const std::lock_guard<std::mutex> lock(mutex);
        into.append(buffer, got);
    }
}

}  // namespace

std::wstring built_headless_program() {
    std::wstring built = wide_text(VELMORA_TEST_HEADLESS_EXECUTABLE);
    std::replace(built.begin(), built.end(), L'/', L'\\');
    return built;
}

HeadlessProgram::HeadlessProgram(const std::wstring& folder, const std::wstring& arguments,
                                 const std::string& input, DWORD creation_flags)
    : collected_(new Collected) {
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\velmora-headless.exe";
    if (!CopyFileW(built_headless_program().c_str(), path.c_str(), FALSE) &&
        GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE in_read = nullptr;
    HANDLE in_write = nullptr;
    HANDLE out_write = nullptr;
    HANDLE err_write = nullptr;
    CreatePipe(&in_read, &in_write, &inherited, 0);
    CreatePipe(&out_read_, &out_write, &inherited, 0);
    CreatePipe(&err_read_, &err_write, &inherited, 0);
    SetHandleInformation(in_write, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(out_read_, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(err_read_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in_read;
    startup.hStdOutput = out_write;
    startup.hStdError = err_write;
    std::wstring command = L"\"" + path + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    if (CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, TRUE, creation_flags,
                       nullptr, folder.c_str(), &startup, &info_)) {
        CloseHandle(info_.hThread);
    }
    CloseHandle(in_read);
    CloseHandle(out_write);
    CloseHandle(err_write);
    DWORD written = 0;
    if (!input.empty()) {
        WriteFile(in_write, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    }
    CloseHandle(in_write);
    out_reader_ =
        std::thread(collect, out_read_, std::ref(collected_->mutex), std::ref(collected_->out));
    err_reader_ =
        std::thread(collect, err_read_, std::ref(collected_->mutex), std::ref(collected_->err));
}

HeadlessProgram::~HeadlessProgram() {
    if (info_.hProcess != nullptr) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
        CloseHandle(info_.hProcess);
    }
    if (out_reader_.joinable()) {
        out_reader_.join();
        err_reader_.join();
    }
    CloseHandle(out_read_);
    CloseHandle(err_read_);
    delete collected_;
}

long HeadlessProgram::exit_code_within(std::chrono::milliseconds limit) {
    DWORD code = 0;
    if (info_.hProcess == nullptr ||
        WaitForSingleObject(info_.hProcess, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(info_.hProcess, &code)) {
        return -1;
    }
    if (out_reader_.joinable()) {
        out_reader_.join();
        err_reader_.join();
    }
    return static_cast<long>(code);
}

Text HeadlessProgram::out() const {
    const std::lock_guard<std::mutex> lock(collected_->mutex);
    return collected_->out;
}

Text HeadlessProgram::err() const {
    const std::lock_guard<std::mutex> lock(collected_->mutex);
    return collected_->err;
}

HeadlessResult run_headless_program(const std::wstring& folder, const std::wstring& arguments,
                                    const std::string& input) {
    HeadlessProgram program(folder, arguments, input);
    HeadlessResult result;
    result.exit_code = program.exit_code_within(std::chrono::milliseconds(60000));
    result.out = program.out();
    result.err = program.err();
    return result;
}

void remove_leftover_service() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) {
        return;
    }
    if (SC_HANDLE service =
            OpenServiceW(manager, L"Velmora", SERVICE_STOP | DELETE | SERVICE_QUERY_STATUS)) {
        SERVICE_STATUS status{};
        ControlService(service, SERVICE_CONTROL_STOP, &status);
        for (int i = 0; i < 50 && QueryServiceStatus(service, &status) &&
                        status.dwCurrentState != SERVICE_STOPPED;
             ++i) {
            Sleep(100);
        }
        DeleteService(service);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
}

}  // namespace velmora
