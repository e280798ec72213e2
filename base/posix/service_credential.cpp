#include "base/system/service_credential.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

#include "base/gbk.h"

namespace velmora {

namespace {

struct Outcome {
    bool ran = false;  // started and ended with status 0
    std::string output;
};

void close_quietly(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// Runs systemd-creds with `arguments`, `input` on its standard input and its standard
// output kept; its standard error goes where ours does (its own lines say what failed).
Outcome run_systemd_creds(const std::vector<std::string>& arguments, const std::string& input) {
    int to_child[2] = {-1, -1};
    int from_child[2] = {-1, -1};
    if (::pipe2(to_child, O_CLOEXEC) != 0) {
        return {};
    }
    if (::pipe2(from_child, O_CLOEXEC) != 0) {
        close_quietly(to_child[0]);
        close_quietly(to_child[1]);
        return {};
    }
    std::vector<char*> argv;
    std::string program = "systemd-creds";
    argv.push_back(program.data());
    std::vector<std::string> words = arguments;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(to_child[0], STDIN_FILENO);
        ::dup2(from_child[1], STDOUT_FILENO);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    close_quietly(to_child[0]);
    close_quietly(from_child[1]);
    Outcome outcome;
    if (child < 0) {
        close_quietly(to_child[1]);
        close_quietly(from_child[0]);
        return outcome;
    }
    // A child that ends early must not take this process down with SIGPIPE.
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &previous);
    size_t written = 0;
    while (written < input.size()) {
        const ssize_t n = ::write(to_child[1], input.data() + written, input.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        written += static_cast<size_t>(n);
    }
    close_quietly(to_child[1]);
    ::sigaction(SIGPIPE, &previous, nullptr);
    char buffer[4096];
    while (true) {
        const ssize_t n = ::read(from_child[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        outcome.output.append(buffer, static_cast<size_t>(n));
    }
    close_quietly(from_child[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    outcome.ran = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return outcome;
}

}  // namespace

Text encrypt_service_credential(const Text& token, const Text& path) {
    // The host's key: the file is of no use on another machine, and needs no TPM.
    const Outcome outcome =
        run_systemd_creds({"encrypt", "--name=velmora-token", "--with-key=host", "-", path}, token);
    return outcome.ran ? Text()
                       : gbk("systemd-creds 无法加密Token（需要 systemd 250 以上和 root 权限）");
}

std::optional<Text> decrypt_service_credential(const Text& path) {
    Outcome outcome = run_systemd_creds({"decrypt", "--name=velmora-token", path, "-"}, {});
    if (!outcome.ran || outcome.output.empty()) {
        return std::nullopt;
    }
    return std::move(outcome.output);
}

}  // namespace velmora
