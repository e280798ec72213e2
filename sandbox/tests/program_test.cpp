// velmora-sandbox as a process: the start-up lines, a request, and a clean stop.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "sandbox/tests/test_support.h"

namespace velmora::sandbox {
namespace {

TEST(SandboxExecutable, PrintsPortsServesAndStopsOnSigterm) {
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const std::string ca_file = (std::filesystem::temp_directory_path() /
                                 ("sandbox-exe-ca-" + std::to_string(getpid()) + ".pem"))
                                    .string();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execl(VELMORA_SANDBOX_EXE, VELMORA_SANDBOX_EXE, "--ca-file", ca_file.c_str(),
              "--public-address", "192.0.2.33", "--public-address6", "2001:db8::33",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    // A failed assertion below must not leave the sandbox running.
    struct Reaper {
        pid_t pid;
        ~Reaper() {
            if (pid > 0) {
                kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
            }
        }
    } reaper{child};
    FILE* lines = fdopen(out[0], "r");
    std::map<std::string, std::string> printed;
    char line[512];
    // The fixture scripts take the ca_file= line as the last one.
    while (!printed.count("ca_file") && std::fgets(line, sizeof line, lines) != nullptr) {
        std::string text(line);
        const std::size_t eq = text.find('=');
        ASSERT_NE(eq, std::string::npos) << text;
        printed[text.substr(0, eq)] = text.substr(eq + 1, text.size() - eq - 2);
    }
    ASSERT_EQ(printed.size(), 6u);
    EXPECT_EQ(printed["ca_file"], ca_file);

    const testing::HttpReply reply =
        testing::http_request("POST", "https://127.0.0.1:" + printed["api_port"] + "/Domain.List",
                              "login_token=100001,5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24", ca_file);
    EXPECT_EQ(testing::text_between(reply.body, "\"code\":\"", "\","), "1") << reply.error;
    EXPECT_EQ(testing::http_request("GET", "http://127.0.0.1:" + printed["dns_port"] +
                                               "/d?dn=www.velmora.example&clientip=1")
                  .body,
              "203.0.113.80;203.0.113.81|192.0.2.33");
    if (printed["dns6_port"] != "0") {
        EXPECT_EQ(testing::http_request("GET", "http://[::1]:" + printed["dns6_port"] +
                                                   "/d?dn=www.velmora.example&clientip=1")
                      .body,
                  "203.0.113.80;203.0.113.81|2001:db8::33");
    }

    kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    reaper.pid = 0;
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::fclose(lines);
    EXPECT_TRUE(std::filesystem::exists(ca_file));  // a chosen path stays for the client
    std::filesystem::remove(ca_file);
}

}  // namespace
}  // namespace velmora::sandbox
