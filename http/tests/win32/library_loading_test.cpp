// WinHttp is bound from the system folder, never from the program's own: this test's
// folder holds a planted winhttp.dll (tests/support/win32/planted_winhttp.cpp).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "http/winhttp/winhttp_functions.h"

namespace velmora {
namespace {

std::wstring folder_of(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring module_path(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

TEST(LibraryLoading, WinHttpComesFromTheSystemFolderNotThePrograms) {
    const std::wstring planted = folder_of(module_path(nullptr)) + L"\\winhttp.dll";
    ASSERT_NE(GetFileAttributesW(planted.c_str()), INVALID_FILE_ATTRIBUTES);

    const WinHttpFunctions* functions = winhttp_functions();
    ASSERT_NE(functions, nullptr);
    HMODULE bound = nullptr;
    ASSERT_TRUE(GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(functions->open), &bound));
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring path = module_path(bound);
    EXPECT_EQ(CompareStringOrdinal(folder_of(path).c_str(), -1, system, -1, TRUE), CSTR_EQUAL)
        << std::string(path.begin(), path.end());
}

}  // namespace
}  // namespace velmora
