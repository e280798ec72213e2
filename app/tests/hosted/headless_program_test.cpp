// velmora-headless, the executable for machines without a desktop: linked without any
// window library, and set up from a shell against the sandbox (on the fixed loopback
// ports its test build was made for) before one pass of its loop.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "app/tests/hosted/private_keyring.h"
#include "base/system/atomic_file.h"
#include "base/gbk.h"
#include "base/ini_file.h"
#include "sandbox/sandbox_server.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

// The shared objects the executable names in its dynamic section (DT_NEEDED).
std::vector<std::string> needed_libraries(const std::string& executable) {
    std::vector<std::string> needed;
    FILE* readelf = ::popen(("readelf -d '" + executable + "'").c_str(), "r");
    if (readelf == nullptr) {
        return needed;
    }
    const std::regex entry(R"(\(NEEDED\)\s+Shared library: \[([^\]]+)\])");
    char line[512];
    while (std::fgets(line, sizeof line, readelf) != nullptr) {
        std::cmatch match;
        if (std::regex_search(line, match, entry)) {
            needed.push_back(match[1]);
        }
    }
    ::pclose(readelf);
    return needed;
}

TEST(HeadlessExecutable, LinksNoWindowLibrary) {
    const std::regex window_library(
        R"(^lib(Qt|X|xcb|GL|EGL|wayland|icu|gtk|gdk|fontconfig|freetype))");
    for (const char* executable : {VELMORA_TEST_HEADLESS_INSTALLED, VELMORA_TEST_HEADLESS}) {
        SCOPED_TRACE(executable);
        const std::vector<std::string> needed = needed_libraries(executable);
        ASSERT_FALSE(needed.empty()) << "readelf gave no dynamic section";
        EXPECT_NE(std::find(needed.begin(), needed.end(), "libcurl.so.4"), needed.end());
        for (const std::string& library : needed) {
            EXPECT_FALSE(std::regex_search(library, window_library)) << library;
        }
    }
#ifdef VELMORA_TEST_WINDOW_PROGRAM  // not in a build without the window
    // The window program does link them: the pattern would see them.
    const std::vector<std::string> window = needed_libraries(VELMORA_TEST_WINDOW_PROGRAM);
    EXPECT_TRUE(std::any_of(window.begin(), window.end(), [&](const std::string& library) {
        return std::regex_search(library, window_library);
    }));
#endif
}

struct Finished {
    int status = -1;
    std::string out;
    std::string err;
};

class HeadlessSetUp : public ::testing::Test {
  protected:
    void SetUp() override {
        sandbox::SandboxOptions options;
        options.api_port = VELMORA_TEST_API_PORT;
        options.dns_port = VELMORA_TEST_DNS_PORT;
        options.time_port = VELMORA_TEST_TIME_PORT;
        options.ca_file = VELMORA_TEST_CA_FILE;
        options.threads = 2;
        sandbox_ = std::make_unique<sandbox::SandboxServer>(options);
        std::string error;
        ASSERT_TRUE(sandbox_->start(&error)) << error;
        sandbox_->set_public_address("198.51.100.10");
        sandbox_->set_date_header("Tue, 05 Mar 2024 06:07:09 GMT");
        char pattern[] = "/tmp/velmora-headless-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string settings() const { return folder_ + "/etc/velmora.ini"; }

    // Starts the executable with `words` after --settings FILE, `input` piped into it,
    // `environment` ("NAME=value") added; as the unprivileged user nobody when
    // `unprivileged`.
    pid_t start(const std::vector<std::string>& words, const std::string& input = {},
                bool unprivileged = false, const std::vector<std::string>& environment = {}) {
        fs::create_directories(folder_ + "/etc");
        const std::string in = folder_ + "/in", out = folder_ + "/out", err = folder_ + "/err";
        EXPECT_TRUE(replace_file_atomically(in, input));
        const pid_t child = ::fork();
        if (child == 0) {
            ::unsetenv("DISPLAY");
            ::setenv("XDG_CONFIG_HOME", (folder_ + "/nowhere").c_str(), 1);
            for (const std::string& variable : environment) {
                ::putenv(const_cast<char*>(variable.c_str()));
            }
            ::dup2(::open(in.c_str(), O_RDONLY), STDIN_FILENO);
            ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
            ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
            if (unprivileged && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                ::_exit(126);
            }
            std::vector<std::string> all{VELMORA_TEST_HEADLESS, "--settings", settings()};
            all.insert(all.end(), words.begin(), words.end());
            std::vector<char*> argv;
            for (std::string& word : all) {
                argv.push_back(word.data());
            }
            argv.push_back(nullptr);
            ::execv(VELMORA_TEST_HEADLESS, argv.data());
            ::_exit(127);
        }
        return child;
    }
    Finished finish(pid_t child) {
        int status = 0;
        ::waitpid(child, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                read_whole_file(folder_ + "/out").value_or(""),
                read_whole_file(folder_ + "/err").value_or("")};
    }
    Finished run(const std::vector<std::string>& words, const std::string& input = {},
                 bool unprivileged = false, const std::vector<std::string>& environment = {}) {
        return finish(start(words, input, unprivileged, environment));
    }

    std::unique_ptr<sandbox::SandboxServer> sandbox_;
    std::string folder_;
};

TEST_F(HeadlessSetUp, LogsInFromStandardInputWatchesByNameAndFollowsTheAddress) {
    const Finished refused = run({"--login"}, "100001\nwrong\n");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "velmora: 登入失败（没有保存任何设置）\n");
    EXPECT_FALSE(fs::exists(settings()));

    const Finished accepted = run({"--login"}, "100001\n5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24\n");
    EXPECT_EQ(accepted.status, 0) << accepted.err;
    EXPECT_EQ(accepted.out, "登入成功，ID和Token已保存到 " + settings() + "\n");
    EXPECT_EQ(fs::status(settings()).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    const Finished watched = run({"--watch", "www.velmora-demo.example", "--type", "A"});
    EXPECT_EQ(watched.status, 0) << watched.err;
    EXPECT_EQ(read_ini_item(settings(), gbk("监控记录"), "1001"), "5001");

    const Finished listed = run({"--list"});
    EXPECT_EQ(listed.status, 0) << listed.err;
    // UTF-8 on the terminal, the watched row marked.
    EXPECT_NE(listed.out.find("  www       A     198.51.100.10  5001    监控中\n"),
              std::string::npos)
        << listed.out;

    sandbox_->set_public_address("203.0.113.45");
    const Finished pass = run({"--once"});
    EXPECT_EQ(pass.status, 0) << pass.err;
    EXPECT_NE(pass.out.find("]：更新记录值成功|IP为：203.0.113.45\n"), std::string::npos)
        << pass.out;
    EXPECT_EQ(sandbox_->records(1001)->front().value, "203.0.113.45");
    // The history lies beside the settings file it was given.
    EXPECT_TRUE(fs::exists(folder_ + "/etc/velmora.log"));
    EXPECT_FALSE(fs::exists(folder_ + "/nowhere"));
}

// Started before the network (the provider's port refuses), the run waits, says so once,
// and follows the address once the provider answers, with nobody to answer a box; a
// refused token ends the run at once instead.
TEST_F(HeadlessSetUp, ARunStartedBeforeTheNetworkWaitsAndThenFollowsTheAddress) {
    fs::create_directories(folder_ + "/etc");
    ASSERT_TRUE(write_ini_item(settings(), gbk("登入数据"), "ID", "100001"));
    ASSERT_TRUE(write_ini_item(settings(), gbk("监控记录"), "1001", "5001"));
    // A refusal is an answer: said, and not tried again.
    ASSERT_TRUE(write_ini_item(settings(), gbk("登入数据"), "Token", "wrong"));
    const Finished refused = run({});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("登入失败"), std::string::npos) << refused.err;
    ASSERT_TRUE(
        write_ini_item(settings(), gbk("登入数据"), "Token", "5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24"));
    sandbox_->stop();
    const pid_t program = start({});
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_TRUE(sandbox_->start());
    sandbox_->set_public_address("203.0.113.45");
    const std::string logged_in = "]：已连上服务商，自动登入成功\n";
    bool followed = false;
    for (int tries = 0; tries < 150 && !followed; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        followed =
            sandbox_->records(1001)->front().value == "203.0.113.45" &&
            read_whole_file(folder_ + "/out").value_or("").find(logged_in) != std::string::npos;
    }
    ::kill(program, SIGTERM);
    const Finished stopped = finish(program);
    EXPECT_TRUE(followed) << stopped.out;
    EXPECT_EQ(stopped.status, 0) << stopped.err;
    EXPECT_EQ(stopped.err, "");
    const std::regex waiting("]：连不上服务商，等网络恢复后自动重新登入：登入未完成：7\\d\\d ");
    EXPECT_EQ(std::distance(std::sregex_iterator(stopped.out.begin(), stopped.out.end(), waiting),
                            std::sregex_iterator()),
              1)
        << stopped.out;
}

// A settings file made by root by hand, which the service's user cannot read: one line
// with the path and the user who must be able to read it.
TEST_F(HeadlessSetUp, SettingsItsUserCannotReadAreSaidWithTheUserNeeded) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to run as another user";
    }
    fs::create_directories(folder_ + "/etc");
    ASSERT_TRUE(write_ini_item(settings(), gbk("登入数据"), "ID", "100001"));
    fs::permissions(folder_, fs::perms::all);  // the folders may be passed, not the file
    fs::permissions(folder_ + "/etc", fs::perms::all);
    const Finished refused = run({"--once"}, {}, true);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "velmora: 无法读取设置文件：" + settings() +
                               "（它要能被运行用户 nobody 读取，例如归它所有：chown nobody " +
                               settings() + "）\n");
}

constexpr char kToken[] = "5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24";

// Every file under `folder` (but `skipped`) whose bytes hold `secret`.
std::vector<std::string> files_holding(const std::string& folder, const std::string& secret,
                                       const std::string& skipped) {
    std::vector<std::string> holding;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string path = entry.path().string();
        if (entry.is_regular_file() && !path.starts_with(skipped) &&
            read_whole_file(path).value_or("").find(secret) != std::string::npos) {
            holding.push_back(path);
        }
    }
    return holding;
}

// A bus address whose socket takes the connection and never answers: a keyring that
// hangs, or a locked one whose prompt nobody answers.
class SilentBus {
  public:
    explicit SilentBus(const std::string& path) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(fd_, 8), 0);
        variable_ = "DBUS_SESSION_BUS_ADDRESS=unix:path=" + path;
    }
    ~SilentBus() { ::close(fd_); }
    SilentBus(const SilentBus&) = delete;
    SilentBus& operator=(const SilentBus&) = delete;
    const std::string& variable() const { return variable_; }

  private:
    int fd_ = -1;
    std::string variable_;
};

TEST_F(HeadlessSetUp, WithoutAStoreThatAnswersProtectionIsRefusedWithinTwoSeconds) {
    ASSERT_EQ(run({"--login"}, std::string("100001\n") + kToken + "\n").status, 0);
    const std::string before = read_whole_file(settings()).value_or("");
    const SilentBus silent(folder_ + "/bus");

    // The time of a run that asks no store (the option is off already), then of one that
    // waits for the silent one: the limit besides, whatever a slow build adds to both.
    // ThreadSanitizer waits a second at exit while threads remain, as GLib's D-Bus worker
    // does: that second is not the store's.
    std::vector<std::string> environment{silent.variable()};
    if (const char* sanitizer = std::getenv("TSAN_OPTIONS")) {
        environment.push_back(std::string("TSAN_OPTIONS=") + sanitizer + " atexit_sleep_ms=0");
    }
    const auto timed = [&](const std::string& word, Finished& finished) {
        const auto asked = std::chrono::steady_clock::now();
        finished = run({word}, {}, false, environment);
        return std::chrono::steady_clock::now() - asked;
    };
    Finished unasked;
    Finished refused;
    const auto bare = timed("--unprotect-token", unasked);
    const auto took = timed("--protect-token", refused);
    EXPECT_EQ(unasked.status, 0) << unasked.err;
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("没有打开保护令牌，Token仍在原处"), std::string::npos)
        << refused.err;
    EXPECT_LT(took - bare, std::chrono::milliseconds(2700));
    EXPECT_EQ(read_whole_file(settings()), before);

    // A file with the option on, its store out of reach: said once, then as at a first
    // start; the file stays as it is.
    ASSERT_TRUE(write_ini_item(settings(), gbk("运行选项"), gbk("保护令牌"), gbk("真")));
    ASSERT_TRUE(write_ini_item(settings(), gbk("登入数据"), "Token", ""));
    const std::string protected_file = read_whole_file(settings()).value_or("");
    const Finished started = run({"--once"}, {}, false, {silent.variable()});
    EXPECT_EQ(started.status, 1);
    const std::string said = "保护令牌已打开，但无法取出这个ID的Token";
    const size_t first = started.out.find(said);
    EXPECT_NE(first, std::string::npos) << started.out;
    EXPECT_EQ(started.out.find(said, first + 1), std::string::npos) << started.out;
    EXPECT_NE(started.err.find("设置文件中没有ID和Token"), std::string::npos) << started.err;
    EXPECT_EQ(read_whole_file(settings()), protected_file);
}

// The system service's run: the unit hands the token over as a credential, which wins
// over what the file says (here a stale token) and is never written into it.
TEST_F(HeadlessSetUp, TheServiceLogsInWithTheCredentialSystemdPasses) {
    ASSERT_EQ(run({"--login"}, std::string("100001\n") + kToken + "\n").status, 0);
    ASSERT_EQ(run({"--watch", "www.velmora-demo.example", "--type", "A"}).status, 0);
    ASSERT_TRUE(write_ini_item(settings(), gbk("登入数据"), "Token", "stale"));
    fs::create_directories(folder_ + "/credentials");
    ASSERT_TRUE(replace_file_atomically(folder_ + "/credentials/velmora-token", kToken));
    const Finished pass =
        run({"--once"}, {}, false, {"CREDENTIALS_DIRECTORY=" + folder_ + "/credentials"});
    EXPECT_EQ(pass.status, 0) << pass.out << pass.err;
    EXPECT_EQ(read_ini_item(settings(), gbk("登入数据"), "Token"), "stale");
}

// Every run with the option on, through a keyring of the test's own: the token's bytes
// are in none of the files the program wrote (settings, history, lock, temporary files),
// its standard output and error, or its command line and environment.
TEST_F(HeadlessSetUp, WithTheOptionOnTheTokenIsNowhereInClear) {
    const testing::PrivateKeyring keyring(folder_ + "/keyring");
    ASSERT_TRUE(keyring.started());
    fs::create_directories(folder_ + "/tmp");
    const std::vector<std::string> environment{"DBUS_SESSION_BUS_ADDRESS=" + keyring.bus_address(),
                                               "TMPDIR=" + folder_ + "/tmp"};
    fs::create_directories(folder_ + "/etc");
    ASSERT_TRUE(write_ini_item(settings(), gbk("登入数据"), "ID", "100001"));
    ASSERT_TRUE(write_ini_item(settings(), gbk("运行选项"), gbk("保护令牌"), gbk("真")));

    std::string printed;
    const auto collect = [&](const Finished& finished) {
        printed += finished.out + finished.err;
        return finished.status;
    };
    EXPECT_EQ(
        collect(run({"--login"}, std::string("100001\n") + kToken + "\n", false, environment)), 0);
    fs::remove(folder_ + "/in");  // what was typed, not what the program wrote
    EXPECT_EQ(collect(run({"--watch", "www.velmora-demo.example", "--type", "A"}, {}, false,
                          environment)),
              0)
        << printed;
    sandbox_->set_public_address("203.0.113.45");
    EXPECT_EQ(collect(run({"--once"}, {}, false, environment)), 0) << printed;
    EXPECT_EQ(sandbox_->records(1001)->front().value, "203.0.113.45");
    EXPECT_EQ(collect(run({"--status"}, {}, false, environment)), 0) << printed;

    // The loop, looked at from outside while it runs.
    const pid_t loop = start({}, {}, false, environment);
    std::string seen;
    for (int i = 0; i < 100 && seen.find("公网IP") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        seen = read_whole_file(folder_ + "/out").value_or("");
    }
    const std::string proc = "/proc/" + std::to_string(loop);
    const std::string command_line = read_whole_file(proc + "/cmdline").value_or("");
    const std::string environ = read_whole_file(proc + "/environ").value_or("");
    ::kill(loop, SIGTERM);
    collect(finish(loop));
    EXPECT_NE(seen.find("公网IP"), std::string::npos) << seen;
    EXPECT_FALSE(command_line.empty());

    for (const std::string& where : {printed, command_line, environ}) {
        EXPECT_EQ(where.find(kToken), std::string::npos) << where;
    }
    EXPECT_EQ(files_holding(folder_, kToken, folder_ + "/keyring"), std::vector<std::string>{});
    EXPECT_TRUE(fs::exists(folder_ + "/etc/velmora.log"));
    EXPECT_EQ(read_ini_item(settings(), gbk("登入数据"), "Token"), "");
}

}  // namespace
}  // namespace velmora
