// The IP helper's address notification as the platform grants it.
#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>
#include <netioapi.h>

#include <gtest/gtest.h>

#include "base/system/network_changes.h"

namespace velmora {
namespace {

bool under_wine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

void WINAPI ignore(void*, MIB_UNICASTIPADDRESS_ROW*, MIB_NOTIFICATION_TYPE) {}

// Windows registers the notification and gives a handle. Wine accepts the call but
// gives no handle and never calls back, so there the loop keeps its period (and hears
// resumes through machine_resumed).
TEST(NetworkChangesRegistration, WindowsGrantsTheAddressNotificationWineRefusesIt) {
    HANDLE handle = nullptr;
    const DWORD result = NotifyUnicastIpAddressChange(AF_UNSPEC, &ignore, nullptr, FALSE, &handle);
    const bool has_handle = handle != nullptr;
    if (result == NO_ERROR && has_handle) {
        CancelMibChangeNotify2(handle);
    }
    auto watch = watch_network_changes([] {});
    ASSERT_NE(watch, nullptr);
    EXPECT_EQ(watch->hears_addresses(), result == NO_ERROR) << result;
    EXPECT_EQ(result, static_cast<DWORD>(NO_ERROR));
    EXPECT_EQ(has_handle, !under_wine());
}

}  // namespace
}  // namespace velmora
