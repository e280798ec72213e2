// velmora-sandbox: runs the substitute provider until SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>

#include "sandbox/record_rules.h"
#include "sandbox/sandbox_server.h"

namespace {

constexpr const char* usage =
    "usage: velmora-sandbox [options]\n"
    "  --api-port N        HTTPS API port (0: ephemeral, the default)\n"
    "  --dns-port N        HTTP-DNS endpoint port on 127.0.0.1\n"
    "  --dns6-port N       HTTP-DNS endpoint port on [::1]\n"
    "  --time-port N       Date site port\n"
    "  --control-port N    control interface port\n"
    "  --ca-file PATH      write the CA certificate here (default: a temporary file)\n"
    "  --seed PATH         accounts, domains and records (default: the built-in demo seed)\n"
    "  --public-address IP client address the HTTP-DNS endpoint on 127.0.0.1 reports\n"
    "  --public-address6 IP client address the HTTP-DNS endpoint on [::1] reports\n"
    "  --dns-name NAME     extra DNS name in the server certificate (repeatable)\n"
    "  --help              this text\n"
    "Prints api_port=, dns_port=, dns6_port=, time_port=, control_port= and ca_file= lines\n"
    "once ready (dns6_port=0: this machine has no IPv6 loopback).\n";

bool parse_port(const std::string& text, int& port) {
    const auto value = velmora::sandbox::parse_id(text);
    if (!value || *value > 65535) {
        return false;
    }
    port = static_cast<int>(*value);
    return true;
}

int fail(const std::string& message) {
    std::cerr << "velmora-sandbox: " << message << "\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    velmora::sandbox::SandboxOptions options;
    std::string public_address;
    std::string public_address6;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help") {
            std::cout << usage;
            return 0;
        }
        if (i + 1 >= argc) {
            return fail("unknown option or missing value: " + std::string(option) + "\n" + usage);
        }
        const std::string value = argv[++i];
        bool ok = true;
        if (option == "--api-port") {
            ok = parse_port(value, options.api_port);
        } else if (option == "--dns-port") {
            ok = parse_port(value, options.dns_port);
        } else if (option == "--dns6-port") {
            ok = parse_port(value, options.dns6_port);
        } else if (option == "--time-port") {
            ok = parse_port(value, options.time_port);
        } else if (option == "--control-port") {
            ok = parse_port(value, options.control_port);
        } else if (option == "--ca-file") {
            options.ca_file = value;
        } else if (option == "--seed") {
            std::string error;
            if (!velmora::sandbox::load_seed_file(value, options.seed, &error)) {
                return fail(error);
            }
        } else if (option == "--public-address") {
            ok = velmora::sandbox::is_dotted_ipv4(value);
            public_address = value;
        } else if (option == "--public-address6") {
            ok = velmora::sandbox::is_ipv6_address(value);
            public_address6 = value;
        } else if (option == "--dns-name") {
            options.extra_dns_names.push_back(value);
        } else {
            ok = false;
        }
        if (!ok) {
            return fail("bad option " + std::string(option) + " " + value + "\n" + usage);
        }
    }

    // Block the stop signals before any server thread exists, so that every thread
    // inherits the mask and only sigwait below receives them.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

    velmora::sandbox::SandboxServer sandbox(std::move(options));
    std::string error;
    if (!sandbox.start(&error)) {
        return fail(error);
    }
    sandbox.set_public_address(public_address);
    sandbox.set_public_address6(public_address6);
    // ca_file= comes last: the fixture scripts wait for it.
    std::cout << "api_port=" << sandbox.api_port() << "\n"
              << "dns_port=" << sandbox.dns_port() << "\n"
              << "dns6_port=" << sandbox.dns6_port() << "\n"
              << "time_port=" << sandbox.time_port() << "\n"
              << "control_port=" << sandbox.control_port() << "\n"
              << "ca_file=" << sandbox.ca_file() << std::endl;

    int received = 0;
    sigwait(&stop_signals, &received);
    sandbox.stop();
    return 0;
}
