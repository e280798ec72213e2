#include "headless_program.h"

#include <algorithm>

#include "base/win32/wide_text.h"

namespace velmora {

namespace {

std::wstring temporary_file() {
    wchar_t folder[MAX_PATH] = {};
    wchar_t path[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"vh", 0, path);
    return path;
}

// A handle on `path` that the program inherits: reading, or writing from the start.
HANDLE inherited_file(const std::wstring& path, bool write) {
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherited,
                       write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

Text whole_file(const std::wstring& path) {
    Text bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    CloseHandle(file);
    return bytes;
}

}  // namespace

std::wstring built_headless_program() {
    std::wstring built = wide_text(VELMORA_TEST_HEADLESS_EXECUTABLE);
    std::replace(built.begin(), built.end(), L'/', L'\\');
    return built;
}

HeadlessProgram::HeadlessProgram(const std::wstring& folder, const std::wstring& arguments,
                                 const std::string& input, DWORD creation_flags)
    : in_path_(temporary_file()), out_path_(temporary_file()), err_path_(temporary_file()) {
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\velmora-headless.exe";
    if (!CopyFileW(built_headless_program().c_str(), path.c_str(), FALSE) &&
        GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    HANDLE in = inherited_file(in_path_, true);
    DWORD written = 0;
    WriteFile(in, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    CloseHandle(in);
    in = inherited_file(in_path_, false);
    HANDLE out = inherited_file(out_path_, true);
    HANDLE err = inherited_file(err_path_, true);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    std::wstring command = L"\"" + path + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    if (CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, TRUE, creation_flags,
                       nullptr, folder.c_str(), &startup, &info_)) {
        CloseHandle(info_.hThread);
    }
    CloseHandle(in);
    CloseHandle(out);
    CloseHandle(err);
}

HeadlessProgram::~HeadlessProgram() {
    if (info_.hProcess != nullptr) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
        CloseHandle(info_.hProcess);
    }
    for (const std::wstring& path : {in_path_, out_path_, err_path_}) {
        DeleteFileW(path.c_str());
    }
}

long HeadlessProgram::exit_code_within(std::chrono::milliseconds limit) {
    DWORD code = 0;
    if (info_.hProcess == nullptr ||
        WaitForSingleObject(info_.hProcess, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(info_.hProcess, &code)) {
        return -1;
    }
    return static_cast<long>(code);
}

Text HeadlessProgram::out() const {
    return whole_file(out_path_);
}

Text HeadlessProgram::err() const {
    return whole_file(err_path_);
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
