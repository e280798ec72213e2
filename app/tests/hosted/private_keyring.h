// A Secret Service of the test's own: a session bus started for the test with a keyring
// daemon on it, unlocked with a test password, its keyring files in the test's folder.
// Programs reach it through the bus address; the desktop's keyring is never touched.
#pragma once

#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/system/atomic_file.h"

namespace velmora::testing {

class PrivateKeyring {
  public:
    explicit PrivateKeyring(const std::string& folder) : folder_(folder) {
        std::filesystem::create_directories(folder + "/data");
        const std::string env = "HOME='" + folder + "' XDG_DATA_HOME='" + folder +
                                "/data' XDG_RUNTIME_DIR='" + folder + "' ";
        if (std::system(("cd '" + folder + "' && env " + env +
                         "dbus-daemon --session --fork --print-address=3 --print-pid=4 "
                         "3>address 4>pid 2>/dev/null")
                            .c_str()) != 0) {
            return;
        }
        address_ = first_line(folder + "/address");
        pid_ = std::atoi(first_line(folder + "/pid").c_str());
        started_ = !address_.empty() && pid_ > 0 &&
                   std::system(("printf velmora-test-password | env " + env +
                                "DBUS_SESSION_BUS_ADDRESS='" + address_ +
                                "' gnome-keyring-daemon --unlock --components=secrets "
                                ">/dev/null 2>&1")
                                   .c_str()) == 0;
    }
    // The keyring daemon leaves with its bus.
    ~PrivateKeyring() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
        }
    }
    PrivateKeyring(const PrivateKeyring&) = delete;
    PrivateKeyring& operator=(const PrivateKeyring&) = delete;

    bool started() const { return started_; }
    const std::string& bus_address() const { return address_; }

  private:
    static std::string first_line(const std::string& path) {
        const std::string text = read_whole_file(path).value_or("");
        return text.substr(0, text.find('\n'));
    }

    std::string folder_;
    std::string address_;
    int pid_ = 0;
    bool started_ = false;
};

}  // namespace velmora::testing
