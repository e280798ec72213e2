// The memory one reply over the body size limit costs: a 70 MB reply (the limit is
// 64 MiB) through the request engine, with and without the raw bytes asked for, and
// through the request object. The reply comes from a loopback server in a child process,
// and each request runs in a fresh child of its own, so each figure (the child's peak
// resident set less what it held before the request) is that request's alone.
//
//   http_response_memory_bench
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <string>

#include "http/com_request.h"
#include "http/http_request.h"
#include "http/tests/support/fixture_server.h"
#include "http/transfer.h"

namespace {

constexpr std::size_t reply_size = 70'000'000;
constexpr double mebibyte = 1024.0 * 1024.0;

long peak_kilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Serves the reply until killed; writes its port to `out` first.
[[noreturn]] void serve(int out) {
    velmora::testing::FixtureServer server;
    const std::string body(reply_size, 'x');
    server.route("/huge", [&body](const velmora::testing::RawRequest&) {
        return velmora::testing::FixtureReply{velmora::testing::http_reply(200, "OK", body)};
    });
    const int port = server.port();
    if (write(out, &port, sizeof port) != sizeof port) {
        _exit(1);
    }
    close(out);
    for (;;) {
        pause();
    }
}

// The peak in bytes of `request`, run in a child process; negative when it failed.
double measured(const std::function<bool()>& request) {
    int results[2];
    if (pipe(results) != 0) {
        return -1;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(results[0]);
        const long before = peak_kilobytes();
        const bool ok = request();
        const double grown = ok ? (peak_kilobytes() - before) * 1024.0 : -1;
        const bool written = write(results[1], &grown, sizeof grown) == sizeof grown;
        _exit(written ? 0 : 1);
    }
    close(results[1]);
    double grown = -1;
    if (read(results[0], &grown, sizeof grown) != sizeof grown) {
        grown = -1;
    }
    close(results[0]);
    waitpid(child, nullptr, 0);
    return grown;
}

void report(const char* what, double bytes) {
    if (bytes < 0) {
        std::printf("%-36s failed\n", what);
        return;
    }
    std::printf("%-36s %7.1f MiB  (%.2f x the %zu MiB limit)\n", what, bytes / mebibyte,
                bytes / static_cast<double>(velmora::max_response_body),
                velmora::max_response_body / (1024 * 1024));
}

}  // namespace

int main() {
    int ports[2];
    if (pipe(ports) != 0) {
        return 1;
    }
    const pid_t server = fork();
    if (server == 0) {
        close(ports[0]);
        serve(ports[1]);
    }
    close(ports[1]);
    int port = 0;
    if (read(ports[0], &port, sizeof port) != sizeof port) {
        return 1;
    }
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/huge";

    std::printf("one %zu-byte reply, peak resident memory of the request:\n", reply_size);
    report("http_request, text", measured([&] {
               return velmora::http_request(url).size() == velmora::max_response_body;
           }));
    report("http_request, text and bytes", measured([&] {
               velmora::Bytes bytes;
               const velmora::Text text =
                   velmora::http_request(url, 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {},
                                         {}, {}, {}, 0, nullptr, nullptr, &bytes);
               return text.size() == velmora::max_response_body &&
                      bytes.size() == velmora::max_response_body;
           }));
    report("com_request", measured([&] {
               return velmora::com_request(url).size() == velmora::max_response_body;
           }));

    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    return 0;
}
