// What the update loop tells a window beyond its log lines: for a tray icon's tooltip
// and its notifications. Called on the update thread (the login's waits on the thread
// that logs in); an implementation hands the news to its own thread and returns at once.
#pragma once

#include "base/types.h"

namespace velmora {

class UpdateObserver {
  public:
    virtual ~UpdateObserver() = default;
    // A watched record was compared with the public address `address` at `time` (the
    // log's time text).
    virtual void checked(const Text& address, const Text& time) = 0;
    // A record's value was changed to `address` at `time`.
    virtual void record_changed(const Text& sub_domain, const Text& address, const Text& time) = 0;
    // A failure began (not a repetition of a lasting one); `message` is its log text.
    virtual void failure_began(const Text& message) = 0;
    // The login at start cannot reach the provider and waits to try again (`reason`:
    // why the last try failed); the empty text once it waits no more.
    virtual void login_waiting(const Text& reason) = 0;
};

}  // namespace velmora
