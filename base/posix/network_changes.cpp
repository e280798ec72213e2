// The kernel's address messages on a netlink route socket, and a suspend seen as the
// boot-time clock running ahead of the monotonic one (which stops while the machine
// sleeps). The login manager's sleep signal would need a message-bus library; the clocks
// tell the same without one.
#include "base/system/network_changes.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <thread>

namespace velmora {

namespace {

// How often the clocks are compared, and how far apart they must drift to count as a
// sleep (a busy machine never loses this much between two looks).
constexpr int kClockLookMilliseconds = 2000;
constexpr std::int64_t kSleepNanoseconds = 2'000'000'000;

std::int64_t nanoseconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

std::int64_t time_asleep() {
    return nanoseconds(CLOCK_BOOTTIME) - nanoseconds(CLOCK_MONOTONIC);
}

int address_socket() {
    const int fd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    if (fd < 0) {
        return -1;
    }
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR;
    if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Reads what the socket holds; true when an address was added or removed (or messages
// were lost, which may have hidden one).
bool read_address_news(int fd) {
    bool news = false;
    alignas(nlmsghdr) char buffer[16384];
    for (;;) {
        const ssize_t received = recv(fd, buffer, sizeof buffer, 0);
        if (received < 0) {
            return news || errno == ENOBUFS;
        }
        // NLMSG_OK and NLMSG_NEXT by hand: the macros compare the header's unsigned length
        // with a signed count.
        const auto size = static_cast<std::size_t>(received);
        for (std::size_t offset = 0; offset + sizeof(nlmsghdr) <= size;) {
            const auto* message = reinterpret_cast<const nlmsghdr*>(buffer + offset);
            if (message->nlmsg_len < sizeof(nlmsghdr) || message->nlmsg_len > size - offset) {
                break;
            }
            news = news || message->nlmsg_type == RTM_NEWADDR || message->nlmsg_type == RTM_DELADDR;
            offset += NLMSG_ALIGN(message->nlmsg_len);
        }
    }
}

class KernelWatch : public NetworkChangeWatch {
  public:
    KernelWatch(Listener listener, int wake)
        : NetworkChangeWatch(std::move(listener)),
          wake_(wake),
          addresses_(address_socket()),
          thread_([this] { run(); }) {}

    ~KernelWatch() override {
        const std::uint64_t one = 1;
        if (write(wake_, &one, sizeof one) < 0) {
            // The thread still ends at its next look at the clocks.
        }
        stopping_ = true;
        thread_.join();
        close(wake_);
        if (addresses_ >= 0) {
            close(addresses_);
        }
    }

    bool hears_addresses() const override { return addresses_ >= 0; }

  private:
    void run() {
        std::int64_t asleep = time_asleep();
        while (!stopping_) {
            pollfd watched[2] = {{wake_, POLLIN, 0}, {addresses_, POLLIN, 0}};
            const int ready = poll(watched, addresses_ >= 0 ? 2 : 1, kClockLookMilliseconds);
            if (stopping_ || (ready > 0 && (watched[0].revents & POLLIN) != 0)) {
                return;
            }
            bool news = ready > 0 && watched[1].revents != 0 && read_address_news(addresses_);
            const std::int64_t now_asleep = time_asleep();
            news = news || now_asleep - asleep > kSleepNanoseconds;
            asleep = now_asleep;
            if (news) {
                changed();
            }
        }
    }

    int wake_;
    int addresses_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace

std::unique_ptr<NetworkChangeWatch> watch_network_changes(NetworkChangeWatch::Listener listener) {
    const int wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake < 0) {
        return nullptr;
    }
    return std::make_unique<KernelWatch>(std::move(listener), wake);
}

}  // namespace velmora
