// Shutdown ends transfers blocked inside WinHttp by closing their request handles; each
// handle is closed exactly once, by shutdown or by its owner.
#include "http/winhttp/open_requests.h"

#include <gtest/gtest.h>

#include "base/event_pump.h"
#include "http/winhttp/winhttp_functions.h"

namespace velmora {
namespace {

class OpenRequestsTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(winhttp_functions(), nullptr);
        session_ = api().open(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                              WINHTTP_NO_PROXY_BYPASS, 0);
        connection_ = api().connect(session_, L"localhost", 9, 0);
        ASSERT_NE(connection_, nullptr);
    }
    void TearDown() override {
        reset_shutdown();
        api().close_handle(connection_);
        api().close_handle(session_);
    }

    static const WinHttpFunctions& api() { return *winhttp_functions(); }

    // A request that never goes on the network.
    HINTERNET open_request() {
        return api().open_request(connection_, L"GET", L"/", nullptr, WINHTTP_NO_REFERER,
                                  WINHTTP_DEFAULT_ACCEPT_TYPES, 0);
    }

    static bool is_closed(HINTERNET request) {
        return !api().close_handle(request) && GetLastError() == ERROR_INVALID_HANDLE;
    }

    HINTERNET session_ = nullptr;
    HINTERNET connection_ = nullptr;
};

TEST_F(OpenRequestsTest, ShutdownClosesTheTrackedRequestsAndTheOwnerDoesNot) {
    HINTERNET in_flight = open_request();
    HINTERNET finished = open_request();
    track_request(in_flight);
    track_request(finished);
    ASSERT_TRUE(untrack_request(finished));  // the owner closes it
    EXPECT_TRUE(api().close_handle(finished));

    request_shutdown();
    EXPECT_FALSE(untrack_request(in_flight));
    EXPECT_TRUE(is_closed(in_flight));

    // Opened while shutdown goes on: closed as soon as it is tracked.
    HINTERNET late = open_request();
    track_request(late);
    EXPECT_FALSE(untrack_request(late));
    EXPECT_TRUE(is_closed(late));

    reset_shutdown();
    HINTERNET next = open_request();
    track_request(next);
    EXPECT_TRUE(untrack_request(next));
    EXPECT_TRUE(api().close_handle(next));
}

}  // namespace
}  // namespace velmora
