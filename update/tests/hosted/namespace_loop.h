// The update loop in a private network namespace (see private_network.h) against the
// sandbox hosted there: the watched AAAA record follows the address the test puts on
// the loopback interface, so that the time from a change to its Record.Modify can be
// watched.
#pragma once

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "base/event_pump.h"
#include "update/tests/support/update_fixture.h"
#include "update/update_loop.h"

namespace velmora::testing {

class NamespaceLoop : public UpdateTest {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr char kFirstAddress[] = "2001:db8::10";  // www AAAA's value in the seed

    // Call in the namespace: the sandbox, a login, www's AAAA row watched, and the
    // loopback holding the record's address. False when any of it failed.
    bool prepare(std::chrono::milliseconds period) {
        SetUp();
        if (HasFatalFailure() ||
            std::system("ip addr add 2001:db8::10/64 dev lo >/dev/null 2>&1") != 0) {
            return false;
        }
        // The interface alone tells the address, as on a machine whose endpoint is out
        // of reach over IPv6.
        endpoints_.httpdns6_address.clear();
        endpoints_.update_period = period;
        log_in();
        watch_row(1, 21);
        return controls_.list_cell_text(control::record_list(1), 21, 2) == "AAAA";
    }

    std::uint64_t lists() const { return count("Record.List"); }
    std::uint64_t modifies() const { return count("Record.Modify"); }

    // Polls until `done` holds or `limit` passed; whether it held.
    template <class Done>
    static bool wait_until(Done done, std::chrono::milliseconds limit) {
        const auto end = Clock::now() + limit;
        while (!done()) {
            if (Clock::now() >= end) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    // Moves the loopback from the record's address to `address`, and returns how long
    // the sandbox then waited for the Record.Modify (nullopt: none within `limit`).
    std::optional<std::chrono::milliseconds> time_to_change(const std::string& from,
                                                            const std::string& to,
                                                            std::chrono::milliseconds limit) {
        const std::uint64_t before = modifies();
        const auto start = Clock::now();
        const std::string command =
            "ip addr add " + to + "/64 dev lo && ip addr del " + from + "/64 dev lo";
        if (std::system(command.c_str()) != 0) {
            return std::nullopt;
        }
        if (!wait_until([&] { return modifies() > before; }, limit)) {
            return std::nullopt;
        }
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    }

    std::string last_modify_body() const {
        const TextList sent = bodies("Record.Modify");
        return sent.empty() ? std::string() : sent.back();
    }
    MemoryControls& controls() { return controls_; }
    const Endpoints& endpoints() const { return endpoints_; }
    const PageWatchList& watch() const { return watch_; }
    RunLog& log() { return log_; }

    void TestBody() override {}
};

}  // namespace velmora::testing
