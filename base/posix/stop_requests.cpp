#include "base/system/stop_requests.h"

#include <pthread.h>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "base/event_pump.h"
#include "base/gbk.h"

namespace velmora {

// SIGTERM and SIGINT are taken by a thread of their own: every other thread (the loop's,
// the HTTP service's) inherits the blocked mask, and a handler could not safely do what a
// shutdown needs.
class StopRequests::Listener {
  public:
    Listener() {
        sigemptyset(&signals_);
        sigaddset(&signals_, SIGTERM);
        sigaddset(&signals_, SIGINT);
        pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
        waiter_ = std::thread([this] {
            int signal = 0;
            sigwait(&signals_, &signal);
            request_shutdown();
        });
    }
    ~Listener() {
        pthread_kill(waiter_.native_handle(), SIGTERM);  // ends its wait if nothing came
        waiter_.join();
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

  private:
    sigset_t signals_;
    std::thread waiter_;
};

StopRequests::StopRequests() : listener_(std::make_unique<Listener>()) {}
StopRequests::~StopRequests() = default;

Text running_account() {
    const passwd* entry = ::getpwuid(::geteuid());
    return entry != nullptr ? Text(entry->pw_name) : std::to_string(::geteuid());
}

Text read_access_hint(const Text& account, const Text& file) {
    return gbk("例如归它所有：chown ") + account + " " + file;
}

}  // namespace velmora
