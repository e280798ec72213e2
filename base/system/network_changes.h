// News that the machine's network may have changed: an interface address added or
// removed, or the machine resumed from sleep. Whoever follows the network (the update
// loop, a login that waits for the network) looks again at once rather than at its next
// period.
#pragma once

#include <functional>
#include <memory>

namespace velmora {

class NetworkChangeWatch {
  public:
    using Listener = std::function<void()>;

    // Hears machine_resumed() from now on, besides what the platform tells.
    explicit NetworkChangeWatch(Listener listener);
    virtual ~NetworkChangeWatch();
    NetworkChangeWatch(const NetworkChangeWatch&) = delete;
    NetworkChangeWatch& operator=(const NetworkChangeWatch&) = delete;

    // Whether the platform tells this watch of address changes (else it hears only
    // resumes).
    virtual bool hears_addresses() const = 0;

  protected:
    // Tells the listener, from whichever thread learned of the change.
    void changed() { listener_(); }

  private:
    Listener listener_;
};

// Starts watching: `listener` is called (on a thread of the platform's or the watch's
// own; it must only take note and return) for every change. Linux: the kernel's address
// messages (a netlink route socket) and a jump of the boot-time clock against the
// monotonic one (a suspend). Windows: the IP helper's unicast address notification; the
// resume comes from the window's power broadcast through machine_resumed(). Where the
// platform refuses the address news (no netlink permission in a container, no
// notification) the watch goes without it and says nothing: its owner still has its
// period.
std::unique_ptr<NetworkChangeWatch> watch_network_changes(NetworkChangeWatch::Listener listener);

// The machine resumed from sleep, as the window layer learns it (the Windows power
// broadcast): every live watch's listener hears it. Callable from any thread.
void machine_resumed();

}  // namespace velmora
