// A Secret Service of the test's own: a session bus started for the test with a keyring
// daemon on it, unlocked with a test password, its keyring files in the test's folder.
// Programs reach it through the bus address; the desktop's keyring is never touched.
// The bus ends with the test process, however that ends, and the keyring daemon with
// the bus; neither keeps any of the test's descriptors (a test runner's lock among them).
// The destructor returns once the keyring daemon has cleaned up its control folder, so
// the test can remove the folder without the daemon deleting entries under it meanwhile.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::testing {

class PrivateKeyring {
  public:
    explicit PrivateKeyring(const std::string& folder) : control_folder_(folder + "/keyring") {
        std::filesystem::create_directories(folder + "/data");
        environment_ = {"HOME=" + folder, "XDG_DATA_HOME=" + folder + "/data",
                        "XDG_RUNTIME_DIR=" + folder};
        int address[2];
        if (::pipe(address) != 0) {
            return;
        }
        bus_ = spawn({"dbus-daemon", "--session", "--nofork", "--print-address=3"}, -1, address[1],
                     true);
        ::close(address[1]);
        char buffer[512];
        const ssize_t n = bus_ > 0 ? ::read(address[0], buffer, sizeof buffer) : -1;
        ::close(address[0]);
        if (n <= 0) {
            return;
        }
        address_.assign(buffer, static_cast<size_t>(n));
        address_ = address_.substr(0, address_.find('\n'));
        environment_.push_back("DBUS_SESSION_BUS_ADDRESS=" + address_);
        // The daemon reads the password on its standard input, then goes to the background.
        int password[2];
        if (::pipe(password) != 0) {
            return;
        }
        const pid_t keyring = spawn({"gnome-keyring-daemon", "--unlock", "--components=secrets"},
                                    password[0], -1, false);
        ::close(password[0]);
        const bool written = ::write(password[1], "velmora-test-password", 21) == 21;
        ::close(password[1]);
        int status = 1;
        started_ = written && keyring > 0 && ::waitpid(keyring, &status, 0) == keyring &&
                   WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    ~PrivateKeyring() {
        if (bus_ > 0) {
            ::kill(bus_, SIGTERM);
            ::waitpid(bus_, nullptr, 0);
        }
        // The keyring daemon leaves with the bus on its own time; its last act is to
        // remove its control folder. Bounded, so a daemon that hangs cannot hang the test.
        for (int tries = 0; started_ && tries < 250 && std::filesystem::exists(control_folder_);
             ++tries) {
            ::usleep(20'000);
        }
    }
    PrivateKeyring(const PrivateKeyring&) = delete;
    PrivateKeyring& operator=(const PrivateKeyring&) = delete;

    bool started() const { return started_; }
    const std::string& bus_address() const { return address_; }

  private:
    // `input` becomes standard input and `fd3` descriptor 3 (when not -1); standard
    // output and error go nowhere, every other descriptor is closed.
    pid_t spawn(std::vector<std::string> words, int input, int fd3, bool dies_with_us) {
        // Everything the child needs is made before the fork: the test has threads.
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (char** variable = environ; *variable != nullptr; ++variable) {
            const std::string_view name(*variable, std::strcspn(*variable, "="));
            if (std::none_of(environment_.begin(), environment_.end(),
                             [&](const std::string& ours) {
                                 return ours.starts_with(name) && ours[name.size()] == '=';
                             })) {
                envp.push_back(*variable);
            }
        }
        for (std::string& variable : environment_) {
            envp.push_back(variable.data());
        }
        envp.push_back(nullptr);
        const pid_t child = ::fork();
        if (child != 0) {
            return child;
        }
        if (dies_with_us) {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        }
        const int nowhere = ::open("/dev/null", O_RDWR);
        ::dup2(input >= 0 ? input : nowhere, STDIN_FILENO);
        ::dup2(nowhere, STDOUT_FILENO);
        ::dup2(nowhere, STDERR_FILENO);
        if (fd3 >= 0) {
            ::dup2(fd3, 3);
        }
        for (int fd = fd3 >= 0 ? 4 : 3; fd < 1024; ++fd) {
            ::close(fd);
        }
        ::execvpe(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }

    std::string control_folder_;
    std::vector<std::string> environment_;
    std::string address_;
    pid_t bus_ = -1;
    bool started_ = false;
};

}  // namespace velmora::testing
