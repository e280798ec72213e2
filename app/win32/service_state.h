// The program's Windows service, as the service manager knows it: its name, whether a
// service of that name is this program's, and its state, for the window's menus and
// for --install-service and --uninstall-service.
#pragma once

#include <string>

#include "base/types.h"

namespace velmora {

inline constexpr wchar_t kServiceName[] = L"Velmora";

enum class ServiceState { not_installed, stopped, running };

// The state of the service named kServiceName: running also while it starts or stops.
// Not installed when the service manager cannot be asked either.
ServiceState service_state();

// The menus' line for `state` (GBK): 后台服务 and the state.
Text service_state_line(ServiceState state);

// The command line the service manager runs for the service of velmora-headless.exe at
// `executable`.
std::wstring service_command(const std::wstring& executable);

// Whether a service's command line is one of this program's (velmora-headless.exe
// --service, from any folder, so that a copy moved elsewhere can still remove it).
bool is_our_service_command(const std::wstring& command);

}  // namespace velmora
