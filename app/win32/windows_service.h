// velmora-headless.exe as a Windows service: installed for the built-in LocalService
// account, which may read and write the program's own files and nothing more, and run
// by the service manager as `velmora-headless.exe --service`.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/headless/service_host.h"

namespace velmora {

class WindowsService : public ServiceHost {
  public:
    int install(const SettingsLocation& settings) override;
    int uninstall() override;
    int serve(const std::function<int()>& run) override;
};

// The files of the settings folder `directory` that the service's account is granted
// read and write access to: velmora.ini, velmora.lock and velmora.log (each made when
// missing, so that it can carry the entry) and every rotated velmora.log.N there is.
std::vector<std::wstring> service_files(const std::wstring& directory);

// `current` (a file's access list) with an entry added that grants the LocalService
// account read, write and delete access, the other entries kept; free it with LocalFree.
// Null, with the platform's error in `error`, when it cannot be made.
PACL with_service_account_entry(PACL current, unsigned long* error);

// Grants the LocalService account read, write and delete access to `file`, beside the
// entries it has; a file without an access list (everyone may use it) stays as it is.
// The platform's error, or 0.
unsigned long grant_service_account(const std::wstring& file);

}  // namespace velmora
