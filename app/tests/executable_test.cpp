// The real velmora executable, built against a sandbox on fixed loopback ports,
// under a virtual X display: its window comes up with the sandbox's address in
// the title, and closing the window ends the process within two seconds.
#include <gtest/gtest.h>
// After GoogleTest: Xlib defines macros (None, Bool, Status) that its headers
// also use.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>

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

TEST(VelmoraExecutable, WindowShowsTheAddressAndClosingEndsTheProcess) {
    VirtualDisplay virtual_display;
    Display* display = virtual_display.display();
    ASSERT_NE(display, nullptr) << "Xvfb did not start";
    sandbox::SandboxOptions options;
    options.api_port = VELMORA_TEST_API_PORT;
    options.dns_port = VELMORA_TEST_DNS_PORT;
    options.time_port = VELMORA_TEST_TIME_PORT;
    options.ca_file = VELMORA_TEST_CA_FILE;
    options.threads = 2;
    sandbox::SandboxServer sandbox(options);
    std::string error;
    ASSERT_TRUE(sandbox.start(&error)) << error;
    sandbox.set_public_address("203.0.113.45");

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        ::setenv("DISPLAY", virtual_display.name().c_str(), 1);
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
}

}  // namespace
}  // namespace velmora
