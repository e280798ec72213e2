// What --install-service hands the platform, checked in this process: the access entry
// it adds for LocalService (Wine keeps no per-file access lists, so the executable test
// cannot read them back), which of the folder's files get one, and which installed
// services count as this program's.
#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>

#include <algorithm>

#include "app/win32/service_state.h"
#include "app/win32/windows_service.h"
#include "base/gbk.h"

namespace velmora {
namespace {

struct Sid {
    explicit Sid(WELL_KNOWN_SID_TYPE type) {
        DWORD size = sizeof bytes;
        CreateWellKnownSid(type, nullptr, bytes, &size);
    }
    PSID get() { return bytes; }
    BYTE bytes[SECURITY_MAX_SID_SIZE] = {};
};

// The allowed access of `sid` by entries of its own in `acl`.
ACCESS_MASK allowed(PACL acl, PSID sid) {
    ACCESS_MASK access = 0;
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (GetAce(acl, i, reinterpret_cast<void**>(&header)) &&
            header->AceType == ACCESS_ALLOWED_ACE_TYPE &&
            EqualSid(&reinterpret_cast<ACCESS_ALLOWED_ACE*>(header)->SidStart, sid)) {
            access |= reinterpret_cast<ACCESS_ALLOWED_ACE*>(header)->Mask;
        }
    }
    return access;
}

TEST(ServiceAccess, TheEntryForLocalServiceIsAddedBesideTheOthers) {
    Sid everyone(WinWorldSid);
    Sid local_service(WinLocalServiceSid);
    EXPLICIT_ACCESS_W read{};
    read.grfAccessPermissions = FILE_GENERIC_READ;
    read.grfAccessMode = SET_ACCESS;
    read.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    read.Trustee.ptstrName = reinterpret_cast<wchar_t*>(everyone.get());
    PACL current = nullptr;
    ASSERT_EQ(SetEntriesInAclW(1, &read, nullptr, &current), static_cast<DWORD>(ERROR_SUCCESS));

    unsigned long error = 1;
    PACL updated = with_service_account_entry(current, &error);
    ASSERT_NE(updated, nullptr) << error;
    EXPECT_EQ(error, 0UL);
    EXPECT_EQ(updated->AceCount, 2);
    const ACCESS_MASK wanted = FILE_GENERIC_READ | FILE_GENERIC_WRITE | DELETE;
    EXPECT_EQ(allowed(updated, local_service.get()), wanted);
    EXPECT_EQ(allowed(updated, everyone.get()), static_cast<ACCESS_MASK>(FILE_GENERIC_READ));
    EXPECT_EQ(allowed(current, local_service.get()), 0U);  // the given list is left as it was
    LocalFree(updated);
    LocalFree(current);
}

TEST(ServiceAccess, TheProgramsFilesAreMadeAndTheRotatedHistoryCounts) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"velmora-service-files";
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* name : {L"velmora.ini", L"velmora.lock", L"velmora.log", L"velmora.log.1",
                                L"velmora.log.2", L"other.txt"}) {
        DeleteFileW((folder + L"\\" + name).c_str());
    }
    for (const wchar_t* name : {L"velmora.log.1", L"velmora.log.2", L"other.txt"}) {
        CloseHandle(CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    std::vector<std::wstring> files = service_files(folder);
    for (std::wstring& file : files) {
        file = file.substr(folder.size() + 1);
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::wstring>{L"velmora.ini", L"velmora.lock", L"velmora.log",
                                                L"velmora.log.1", L"velmora.log.2"}));
    for (const wchar_t* name : {L"velmora.ini", L"velmora.lock", L"velmora.log"}) {
        EXPECT_NE(GetFileAttributesW((folder + L"\\" + name).c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(grant_service_account(folder + L"\\" + name), 0UL);
    }
    EXPECT_NE(grant_service_account(folder + L"\\missing.ini"), 0UL);
}

TEST(ServiceAccess, OnlyThisProgramsServiceCommandIsOurs) {
    EXPECT_EQ(service_command(L"C:\\Velmora\\velmora-headless.exe"),
              L"\"C:\\Velmora\\velmora-headless.exe\" --service");
    EXPECT_TRUE(is_our_service_command(L"\"C:\\Velmora\\velmora-headless.exe\" --service"));
    // From another folder (a copy moved away), in any letter case.
    EXPECT_TRUE(is_our_service_command(L"\"D:\\移动后\\VELMORA-HEADLESS.EXE\" --SERVICE"));
    EXPECT_FALSE(is_our_service_command(L"C:\\windows\\system32\\notepad.exe"));
    EXPECT_FALSE(is_our_service_command(L"\"C:\\x\\velmora-headless.exe\" --service --other"));
    EXPECT_FALSE(is_our_service_command(L"\"C:\\x\\not-velmora-headless.exe\" --service"));
    EXPECT_FALSE(is_our_service_command(L"C:\\x\\velmora-headless.exe\" --service"));
    EXPECT_FALSE(is_our_service_command(L""));
}

TEST(ServiceAccess, TheMenusLineSaysWhetherTheServiceIsInstalledAndRuns) {
    EXPECT_EQ(service_state(), ServiceState::not_installed);  // none in the test's prefix
    EXPECT_EQ(service_state_line(ServiceState::not_installed), gbk("后台服务：未安装"));
    EXPECT_EQ(service_state_line(ServiceState::stopped), gbk("后台服务：已安装，已停止"));
    EXPECT_EQ(service_state_line(ServiceState::running), gbk("后台服务：已安装，正在运行"));
}

}  // namespace
}  // namespace velmora
