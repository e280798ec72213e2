// Tests that change interface addresses do it in a private network namespace, in a
// forked child, so the machine's own interfaces stay untouched.
#pragma once

#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace velmora::testing {

inline bool write_whole_file(const char* path, const std::string& text) {
    const int fd = open(path, O_WRONLY);
    const bool written =
        fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (fd >= 0) {
        close(fd);
    }
    return written;
}

// A new network namespace for this process, in a new user namespace where it can be
// had without privilege. The user namespace needs a single-threaded process, which a
// sanitizer's helper thread prevents; then a privileged user still gets the network one.
inline bool enter_private_network_namespace() {
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNET) == 0) {
        return write_whole_file("/proc/self/setgroups", "deny") &&
               write_whole_file("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") &&
               write_whole_file("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
    }
    return unshare(CLONE_NEWNET) == 0;
}

// Runs `body` in a forked child inside a private network namespace whose loopback is
// up, and returns the text it gave back; "unavailable" when no namespace could be had
// here, "failed" when the child died.
inline std::string in_private_network(const std::function<std::string()>& body,
                                      const std::string& setup = "ip link set lo up") {
    int out[2];
    if (pipe(out) != 0) {
        return "failed";
    }
    const pid_t child = fork();
    if (child == 0) {
        close(out[0]);
        if (!enter_private_network_namespace() ||
            std::system(("exec >/dev/null 2>&1; " + setup).c_str()) != 0) {
            _exit(77);
        }
        const std::string report = body();
        const bool sent =
            write(out[1], report.data(), report.size()) == static_cast<ssize_t>(report.size());
        _exit(sent ? 0 : 1);
    }
    close(out[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<std::size_t>(n));
    }
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) {
        return "unavailable";
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? report : "failed";
}

}  // namespace velmora::testing
