// The real velmora executable, built against a sandbox on fixed loopback ports,
// under a virtual X display: its window comes up with the sandbox's address in
// the title, and closing the window ends the process within two seconds. Its
// command line answers without any display. Each run keeps its settings in a
// folder of the test's own.
#include <fcntl.h>
#include <gtest/gtest.h>
// After GoogleTest: Xlib defines macros (None, Bool, Status) that its headers
// also use.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/system/atomic_file.h"

#include "base/gbk.h"
#include "base/ini_file.h"
#include "sandbox/sandbox_server.h"

namespace velmora {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The window's title as UTF-8 (_NET_WM_NAME), empty when it has none.
std::string window_title(Display* display, Window window) {
    Atom name = XInternAtom(display, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, name, 0, 1024, False, utf8, &type, &format, &count,
                           &remaining, &data) != Success ||
        data == nullptr) {
        return {};
    }
    std::string title(reinterpret_cast<char*>(data), count);
    XFree(data);
    return title;
}

// The first top-level window whose title starts with `prefix`.
std::optional<Window> find_window(Display* display, const std::string& prefix) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        return std::nullopt;
    }
    std::optional<Window> found;
    for (unsigned int i = 0; i < count && !found; ++i) {
        if (window_title(display, children[i]).rfind(prefix, 0) == 0) {
            found = children[i];
        }
    }
    XFree(children);
    return found;
}

// What the window manager sends when the user clicks the close button.
void ask_to_close(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

// A virtual X server of the test's own, on a display number no other server holds.
class VirtualDisplay {
  public:
    VirtualDisplay() {
        for (int number = 90 + ::getpid() % 50; number < 200 && display_ == nullptr; ++number) {
            // A lock file means another server has that number: never talk to it.
            if (::access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) != 0) {
                start(":" + std::to_string(number));
            }
        }
    }
    ~VirtualDisplay() {
        if (display_ != nullptr) {
            XCloseDisplay(display_);
        }
        stop();
    }
    const std::string& name() const { return name_; }
    Display* display() const { return display_; }

  private:
    void start(const std::string& name) {
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execlp("Xvfb", "Xvfb", name.c_str(), "-nolisten", "tcp", "-screen", "0",
                     "1024x768x24", nullptr);
            ::_exit(127);
        }
        // The server is ready once a client can connect; it exits at once when the
        // display number is taken.
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (pid_ > 0 && Clock::now() < deadline) {
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                return;
            }
            display_ = XOpenDisplay(name.c_str());
            if (display_ != nullptr) {
                name_ = name;
                return;
            }
            std::this_thread::sleep_for(milliseconds(50));
        }
        stop();
    }
    void stop() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

    pid_t pid_ = -1;
    std::string name_;
    Display* display_ = nullptr;
};

// A folder of the test's own that the program takes as $XDG_CONFIG_HOME, so nothing of
// a run lands in the user's home; removed afterwards.
class ConfigHome {
  public:
    ConfigHome() {
        char pattern[] = "/tmp/velmora-executable-XXXXXX";
        if (::mkdtemp(pattern) != nullptr) {
            path_ = pattern;
        }
    }
    ~ConfigHome() {
        if (!path_.empty()) {
            std::filesystem::remove_all(path_);
        }
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

std::optional<int> wait_for_exit(pid_t child, milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child) {
            return status;
        }
        std::this_thread::sleep_for(milliseconds(20));
    }
    return std::nullopt;
}

// The sandbox on the ports the program under test was built for.
sandbox::SandboxOptions sandbox_options() {
    sandbox::SandboxOptions options;
    options.api_port = VELMORA_TEST_API_PORT;
    options.dns_port = VELMORA_TEST_DNS_PORT;
    options.time_port = VELMORA_TEST_TIME_PORT;
    options.ca_file = VELMORA_TEST_CA_FILE;
    options.threads = 2;
    return options;
}

TEST(VelmoraExecutable, WindowShowsTheAddressAndClosingEndsTheProcess) {
    VirtualDisplay virtual_display;
    Display* display = virtual_display.display();
    ASSERT_NE(display, nullptr) << "Xvfb did not start";
    sandbox::SandboxServer sandbox(sandbox_options());
    std::string error;
    ASSERT_TRUE(sandbox.start(&error)) << error;
    sandbox.set_public_address("203.0.113.45");

    ConfigHome config_home;
    ASSERT_FALSE(config_home.path().empty());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        ::setenv("DISPLAY", virtual_display.name().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", config_home.path().c_str(), 1);
        ::execl(VELMORA_TEST_EXECUTABLE, VELMORA_TEST_EXECUTABLE, nullptr);
        ::_exit(127);
    }

    const std::string expected = "Velmora|本机外网IP：203.0.113.45";
    std::optional<Window> window;
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < deadline) {
        window = find_window(display, "Velmora|");
        if (window && window_title(display, *window) == expected) {
            break;
        }
        std::this_thread::sleep_for(milliseconds(50));
    }
    ASSERT_TRUE(window.has_value()) << "no window came up";
    EXPECT_EQ(window_title(display, *window), expected);

    ask_to_close(display, *window);
    const std::optional<int> status = wait_for_exit(child, milliseconds(2000));
    if (!status) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    ASSERT_TRUE(status.has_value()) << "still running two seconds after the close";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);

    // The program made its settings folder where it was told, private to the user.
    struct stat folder {};
    ASSERT_EQ(::stat((config_home.path() + "/velmora").c_str(), &folder), 0);
    EXPECT_TRUE(S_ISDIR(folder.st_mode));
    EXPECT_EQ(folder.st_mode & 07777, 0700u);
}

struct Finished {
    int status = -1;  // the exit status, -1 when the program did not exit by itself
    std::string out;
    std::string err;
};

// Runs the program with `arguments`, without a display or a platform plugin named, so
// that anything reaching the window system fails.
Finished run_without_display(const std::vector<std::string>& arguments) {
    ConfigHome config_home;
    const std::string out_file = config_home.path() + "/out";
    const std::string err_file = config_home.path() + "/err";
    const pid_t child = ::fork();
    if (child == 0) {
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("QT_QPA_PLATFORM");
        ::setenv("XDG_CONFIG_HOME", config_home.path().c_str(), 1);
        ::dup2(::open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
        ::dup2(::open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>(VELMORA_TEST_EXECUTABLE)};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(VELMORA_TEST_EXECUTABLE, argv.data());
        ::_exit(127);
    }
    Finished finished;
    const std::optional<int> status = wait_for_exit(child, milliseconds(10000));
    if (!status) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    } else if (WIFEXITED(*status)) {
        finished.status = WEXITSTATUS(*status);
    }
    finished.out = read_whole_file(out_file).value_or("");
    finished.err = read_whole_file(err_file).value_or("");
    return finished;
}

TEST(VelmoraExecutable, VersionAndHelpAnswerWithoutADisplay) {
    const Finished version = run_without_display({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "velmora " VELMORA_TEST_VERSION "\n");
    EXPECT_EQ(version.err, "");

    const Finished help = run_without_display({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("用法：velmora [选项]\n", 0), 0u) << help.out;
    for (const char* option : {"--minimized", "--headless", "--once", "--help", "--version"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(help.err, "");
}

TEST(VelmoraExecutable, AnUnknownArgumentIsRefusedWithTheHelpOnStandardError) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--frobnicate"}, {"--minimized", "登入"}, {"--once"}}) {
        const Finished refused = run_without_display(arguments);
        SCOPED_TRACE(arguments.back());
        EXPECT_EQ(refused.status, 2);
        EXPECT_EQ(refused.out, "");
        EXPECT_EQ(refused.err.rfind("velmora: ", 0), 0u) << refused.err;
        EXPECT_NE(refused.err.find(arguments.back()), std::string::npos) << refused.err;
        EXPECT_NE(refused.err.find("\n用法：velmora [选项]\n"), std::string::npos) << refused.err;
    }
}

// The updater without a window, against the sandbox: the settings file a window session
// would have written, log lines on standard output and in the history file.
class Headless : public ::testing::Test {
  protected:
    void SetUp() override {
        sandbox_ = std::make_unique<sandbox::SandboxServer>(sandbox_options());
        std::string error;
        ASSERT_TRUE(sandbox_->start(&error)) << error;
        sandbox_->set_public_address("198.51.100.10");  // what www (5001) holds
        sandbox_->set_date_header("Tue, 05 Mar 2024 06:07:09 GMT");
        ASSERT_FALSE(config_.path().empty());
        std::filesystem::create_directories(folder());
    }
    void TearDown() override {
        for (const pid_t child : children_) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
    }

    std::string folder() const { return config_.path() + "/velmora"; }
    std::string settings() const { return folder() + "/velmora.ini"; }
    void write_settings(const std::string& id, const std::string& token,
                        const std::string& watched) {
        ASSERT_TRUE(write_ini_item(settings(), gbk("登入数据"), "ID", id));
        ASSERT_TRUE(write_ini_item(settings(), gbk("登入数据"), "Token", token));
        ASSERT_TRUE(write_ini_item(settings(), gbk("监控记录"), "1001", watched));
    }

    // Starts velmora --headless with `more` arguments; its output goes to files.
    pid_t start(const std::vector<std::string>& more = {}) {
        const int run = runs_++;
        const std::string out = config_.path() + "/out" + std::to_string(run);
        const std::string err = config_.path() + "/err" + std::to_string(run);
        const pid_t child = ::fork();
        if (child == 0) {
            ::unsetenv("DISPLAY");
            ::unsetenv("QT_QPA_PLATFORM");
            ::setenv("XDG_CONFIG_HOME", config_.path().c_str(), 1);
            ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
            ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
            std::vector<char*> argv{const_cast<char*>(VELMORA_TEST_EXECUTABLE),
                                    const_cast<char*>("--headless")};
            for (const std::string& argument : more) {
                argv.push_back(const_cast<char*>(argument.c_str()));
            }
            argv.push_back(nullptr);
            ::execv(VELMORA_TEST_EXECUTABLE, argv.data());
            ::_exit(127);
        }
        children_.push_back(child);
        return child;
    }
    std::string out(int run) {
        return read_whole_file(config_.path() + "/out" + std::to_string(run)).value_or("");
    }
    std::string err(int run) {
        return read_whole_file(config_.path() + "/err" + std::to_string(run)).value_or("");
    }

    // The exit status of a run that ends by itself within ten seconds; -1 otherwise.
    int finish(pid_t child) {
        const std::optional<int> status = wait_for_exit(child, milliseconds(10000));
        std::erase(children_, child);
        if (!status) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            return -1;
        }
        return WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
    }

    bool wait_for_output(int run, const std::string& text) {
        const auto deadline = Clock::now() + std::chrono::seconds(20);
        while (Clock::now() < deadline) {
            if (out(run).find(text) != std::string::npos) {
                return true;
            }
            std::this_thread::sleep_for(milliseconds(50));
        }
        return false;
    }

    std::unique_ptr<sandbox::SandboxServer> sandbox_;
    ConfigHome config_;
    std::vector<pid_t> children_;
    int runs_ = 0;  // numbers the output files of each start
};

const std::string kToken = "5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24";
const std::string kUnchanged =
    "[2024年3月5日14时7分9秒]：公网IP无变化，无需更新，120秒后重新检测\n";

TEST_F(Headless, FollowsTheAddressAndEndsPromptlyOnSigterm) {
    write_settings("100001", kToken, "5001");
    const pid_t child = start();
    ASSERT_TRUE(wait_for_output(0, kUnchanged)) << out(0) << err(0);

    sandbox_->set_public_address("203.0.113.45");
    ASSERT_TRUE(wait_for_output(0, "]：更新记录值成功|IP为：203.0.113.45\n")) << out(0);
    EXPECT_EQ(sandbox_->records(1001)->front().value, "203.0.113.45");

    const auto asked = Clock::now();
    ::kill(child, SIGTERM);
    EXPECT_EQ(finish(child), 0);
    EXPECT_LT(Clock::now() - asked, std::chrono::seconds(2));
    EXPECT_EQ(err(0), "");
    // Every line went to the history file too, in UTF-8 like the terminal's.
    const std::string history = read_whole_file(folder() + "/velmora.log").value_or("");
    EXPECT_EQ(history.rfind(kUnchanged, 0), 0u) << history;
    EXPECT_NE(history.find("]：更新记录值成功|IP为：203.0.113.45\n"), std::string::npos);
}

TEST_F(Headless, OnePassSaysByItsStatusWhetherEveryRecordFollows) {
    write_settings("100001", kToken, "5001");
    EXPECT_EQ(finish(start({"--once"})), 0);
    EXPECT_EQ(out(0), kUnchanged);

    // A record whose change is refused: the pass did not keep it on the address.
    sandbox_->set_public_address("203.0.113.46");
    sandbox::ForcedReply refused;
    refused.account_id = "100001";
    refused.action = "Record.Modify";
    refused.code = "17";
    sandbox_->set_forced_reply(refused);
    EXPECT_EQ(finish(start({"--once"})), 1);
    EXPECT_NE(out(1).find("]：更新记录失败（www）："), std::string::npos) << out(1);
}

TEST_F(Headless, RefusesToRunWithoutWhatItNeeds) {
    const struct {
        const char* label;
        std::function<void()> prepare;
        std::string reason;
    } cases[] = {
        {"no settings file", [] {}, "velmora: 找不到设置文件："},
        {"an ID without a token",
         [&] { ASSERT_TRUE(write_ini_item(settings(), gbk("登入数据"), "ID", "100001")); },
         "velmora: 设置文件中没有ID和Token（登入数据）："},
        {"a refused token", [&] { write_settings("100001", "wrong", "5001"); },
         "velmora: 登入失败\n"},
        {"no remembered record that exists", [&] { write_settings("100001", kToken, "5999"); },
         "velmora: 没有可以监控的记录："},
    };
    int run = 0;
    for (const auto& [label, prepare, reason] : cases) {
        SCOPED_TRACE(label);
        prepare();
        EXPECT_EQ(finish(start()), 1);
        const std::string said = err(run);
        EXPECT_EQ(said.rfind(reason, 0), 0u) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        ++run;
    }
}

TEST_F(Headless, ASecondRunOnTheSameSettingsIsRefused) {
    write_settings("100001", kToken, "5001");
    const pid_t first = start();
    ASSERT_TRUE(wait_for_output(0, kUnchanged));
    EXPECT_EQ(finish(start()), 1);
    EXPECT_EQ(
        err(1).rfind("velmora: 另一个运行中的velmora正在为这个设置文件更新记录，这里不再另外更新：",
                     0),
        0u)
        << err(1);
    ::kill(first, SIGTERM);
    EXPECT_EQ(finish(first), 0);
}

// The tray icon under a notification area of its own (trayer): the program starts hidden
// in it, a click shows the window, minimising hides it again (no taskbar button), and
// the menu's 退出 ends the program.
class TrayIcon : public ::testing::Test {
  protected:
    void SetUp() override {
        display_ = virtual_display_.display();
        ASSERT_NE(display_, nullptr) << "Xvfb did not start";
        tray_host_ = spawn({"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel",
                            "--width", "120", "--height", "28"});
        ASSERT_TRUE(wait_until([&] { return find_window(display_, "panel").has_value(); }))
            << "trayer did not come up";
        ASSERT_FALSE(config_.path().empty());
        std::filesystem::create_directories(config_.path() + "/velmora");
        ASSERT_TRUE(write_ini_item(config_.path() + "/velmora/velmora.ini", gbk("运行选项"),
                                   gbk("最小化到托盘"), gbk("真")));
        XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
    }
    void TearDown() override {
        for (const pid_t child : {program_, tray_host_}) {
            if (child > 0) {
                ::kill(child, SIGKILL);
                ::waitpid(child, nullptr, 0);
            }
        }
    }

    pid_t spawn(const std::vector<std::string>& command) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::setenv("DISPLAY", virtual_display_.name().c_str(), 1);
            ::setenv("QT_QPA_PLATFORM", "xcb", 1);
            ::setenv("XDG_CONFIG_HOME", config_.path().c_str(), 1);
            std::vector<char*> argv;
            for (const std::string& word : command) {
                argv.push_back(const_cast<char*>(word.c_str()));
            }
            argv.push_back(nullptr);
            ::execvp(argv[0], argv.data());
            ::_exit(127);
        }
        return child;
    }

    static bool wait_until(const std::function<bool()>& done) {
        const auto deadline = Clock::now() + std::chrono::seconds(20);
        while (!done()) {
            if (Clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(milliseconds(50));
        }
        return true;
    }

    // The program's icon: the window it embedded in trayer's panel.
    std::optional<Window> tray_icon() {
        const std::optional<Window> panel = find_window(display_, "panel");
        if (!panel) {
            return std::nullopt;
        }
        std::optional<Window> icon;
        for_each_descendant(*panel, [&](Window window) {
            XClassHint hint{};
            if (XGetClassHint(display_, window, &hint)) {
                if (std::string(hint.res_class).rfind("velmora", 0) == 0) {
                    icon = window;
                }
                XFree(hint.res_name);
                XFree(hint.res_class);
            }
        });
        return icon;
    }
    void for_each_descendant(Window parent, const std::function<void(Window)>& visit) {
        Window root = 0, up = 0, *children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display_, parent, &root, &up, &children, &count)) {
            for (unsigned int i = 0; i < count; ++i) {
                visit(children[i]);
                for_each_descendant(children[i], visit);
            }
            XFree(children);
        }
    }

    bool viewable(Window window) {
        XWindowAttributes attributes{};
        return XGetWindowAttributes(display_, window, &attributes) &&
               attributes.map_state == IsViewable;
    }

    void click(Window window, unsigned int button) {
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 4, 4, &x, &y, &child);
        XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
        XTestFakeButtonEvent(display_, button, True, CurrentTime);
        XTestFakeButtonEvent(display_, button, False, CurrentTime);
        XFlush(display_);
    }

    // What a window manager does when the user minimises a window: the window goes and
    // its WM_STATE says iconic.
    void iconify(Window window) {
        const Atom wm_state = XInternAtom(display_, "WM_STATE", False);
        const long state[2] = {IconicState, 0};
        XChangeProperty(display_, window, wm_state, wm_state, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(state), 2);
        XUnmapWindow(display_, window);
        XFlush(display_);
    }

    // A client withdraws its window (it leaves the taskbar) by a synthetic UnmapNotify on
    // the root window.
    bool withdrawn(Window window) {
        return wait_until([&] {
            while (XPending(display_) > 0) {
                XEvent event;
                XNextEvent(display_, &event);
                if (event.type == UnmapNotify && event.xunmap.send_event &&
                    event.xunmap.window == window) {
                    return true;
                }
            }
            return false;
        });
    }

    VirtualDisplay virtual_display_;
    Display* display_ = nullptr;
    ConfigHome config_;
    pid_t tray_host_ = -1;
    pid_t program_ = -1;
};

TEST_F(TrayIcon, StartsHiddenInTheTrayAndComesBackOnAClick) {
    program_ = spawn({VELMORA_TEST_EXECUTABLE, "--minimized"});
    ASSERT_TRUE(wait_until([&] { return tray_icon().has_value(); })) << "no icon in the tray";
    std::this_thread::sleep_for(milliseconds(500));
    std::optional<Window> window = find_window(display_, "Velmora|");
    EXPECT_FALSE(window && viewable(*window)) << "started shown";

    click(*tray_icon(), Button1);
    ASSERT_TRUE(wait_until([&] {
        return (window = find_window(display_, "Velmora|")) && viewable(*window);
    })) << "a click did not show it";

    iconify(*window);
    EXPECT_TRUE(withdrawn(*window)) << "minimised, but not hidden in the tray";

    // The menu's last item is 退出.
    click(*tray_icon(), Button3);
    std::this_thread::sleep_for(milliseconds(500));
    for (const KeySym key : {XK_Up, XK_Return}) {
        XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, key), True, CurrentTime);
        XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, key), False, CurrentTime);
    }
    XFlush(display_);
    const std::optional<int> status = wait_for_exit(program_, milliseconds(2000));
    ASSERT_TRUE(status.has_value()) << "still running two seconds after 退出";
    program_ = -1;
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
}

}  // namespace
}  // namespace velmora
