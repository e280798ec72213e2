// Where the public IPv4 address comes from, in order: the provider's HTTP-DNS endpoint;
// then the machine's own address when exactly one public IPv4 address sits on an
// interface that is up (a rented server); then the echo services the user lists in
// velmora.ini (each an http or https URL whose reply body is the address). The first
// public address wins.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "base/endpoints.h"
#include "base/system/interface_addresses.h"
#include "base/types.h"
#include "update/address_discovery.h"

namespace velmora {

struct EchoSource {
    Text key;  // its key in the settings file: "1", "2", …
    Text url;
};

// Where the interface source gets its list: interface_ipv4_addresses, or a fake in tests.
using Ipv4InterfaceSource = std::function<std::vector<Ipv4Bytes>()>;

// The longest echo reply read as an address: an address with blanks around it is far
// shorter, and anything longer is not an echo of one.
inline constexpr std::size_t kLongestEchoReply = 256;

// The address an echo reply gives, or why it gives none (for the log). `status` is the
// request's status text.
PublicAddress read_echo_reply(const Text& status, const Bytes& body);

class Ipv4Sources {
  public:
    explicit Ipv4Sources(Ipv4InterfaceSource interfaces = interface_ipv4_addresses);
    // Before the first find (tests).
    void set_interface_source(Ipv4InterfaceSource interfaces) {
        interfaces_ = std::move(interfaces);
    }

    // The echo services to ask after the first two sources (from any thread; the next
    // search uses them).
    void set_echo_sources(std::vector<EchoSource> sources);

    struct Found {
        PublicAddress address;  // the failure is the endpoint's when no source gave one
        Text source;            // which source gave it, as the log names it
        bool first_source = false;
        // Lines for the log: an echo entry skipped and why (once per entry and reason),
        // and the source that answered when it changed to one other than the first.
        TextList notes;
    };
    Found find(const Endpoints& endpoints);

  private:
    // The one public address on an up interface; empty when there are none or several.
    Text interface_address() const;
    // One echo service's public address, or the empty text (and a note when its reason
    // to be skipped is new).
    Text ask_echo(const EchoSource& source, TextList& notes);

    Ipv4InterfaceSource interfaces_;
    std::mutex mutex_;
    std::vector<EchoSource> echoes_;
    std::map<Text, Text> skipped_;  // entry key -> why it was last skipped
    Text last_source_;
};

}  // namespace velmora
