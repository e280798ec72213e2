#include "base/system/network_changes.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace velmora {

namespace {

struct Watches {
    std::mutex mutex;
    std::vector<NetworkChangeWatch::Listener*> listeners;
};

Watches& watches() {
    static Watches state;
    return state;
}

}  // namespace

NetworkChangeWatch::NetworkChangeWatch(Listener listener) : listener_(std::move(listener)) {
    Watches& state = watches();
    std::lock_guard lock(state.mutex);
    state.listeners.push_back(&listener_);
}

NetworkChangeWatch::~NetworkChangeWatch() {
    // Under the lock, so that a resume being told right now finishes first.
    Watches& state = watches();
    std::lock_guard lock(state.mutex);
    std::erase(state.listeners, &listener_);
}

void machine_resumed() {
    Watches& state = watches();
    std::lock_guard lock(state.mutex);
    for (NetworkChangeWatch::Listener* listener : state.listeners) {
        (*listener)();
    }
}

}  // namespace velmora
