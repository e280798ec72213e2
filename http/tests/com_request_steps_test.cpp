// The calls com_request makes on its request object, watched through a recording object
// passed in as the object to reuse.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/automation/automation_class.h"
#include "base/event_pump.h"
#include "http/com_request.h"

namespace velmora {
namespace {

class RecordingRequest final : public AutomationObject {
  public:
    const MemberTable& members() const override {
        using Self = RecordingRequest;
        static const MemberTable table{
            MemberOf<Self>{"SetTimeouts", MemberAccess::method, 4, 4, &Self::set_timeouts},
            MemberOf<Self>{"SetProxy", MemberAccess::method, 1, 3, &Self::set_proxy},
            MemberOf<Self>{"Open", MemberAccess::method, 2, 3, &Self::open},
            MemberOf<Self>{"Option", MemberAccess::property_put, 2, 2, &Self::option},
            MemberOf<Self>{"SetCredentials", MemberAccess::method, 3, 3, &Self::credentials},
            MemberOf<Self>{"SetRequestHeader", MemberAccess::method, 2, 2, &Self::header},
            MemberOf<Self>{"Send", MemberAccess::method, 0, 1, &Self::send},
            MemberOf<Self>{"WaitForResponse", MemberAccess::method, 0, 1, &Self::wait},
            MemberOf<Self>{"Abort", MemberAccess::method, 0, 0, &Self::abort},
            MemberOf<Self>{"ResponseBody", MemberAccess::property_get, 0, 0, &Self::body},
            MemberOf<Self>{"GetAllResponseHeaders", MemberAccess::method, 0, 0, &Self::headers},
            MemberOf<Self>{"Status", MemberAccess::property_get, 0, 0, &Self::status},
        };
        return table;
    }

    std::vector<std::string> calls;
    bool responds = true;          // WaitForResponse finds the response in
    bool answers_at_once = false;  // without waiting, and false, as Wine's object does
    bool send_fails = false;       // Send refuses the call

  private:
    void record(const char* name, const MemberCall& call) {
        std::string line = std::string(name) + "(";
        for (std::size_t i = 0; i < call.count(); ++i) {
            if (i > 0) {
                line += ",";
            }
            line += variant_text(call.at(i));
        }
        calls.push_back(line + ")");
    }
    void set_timeouts(MemberCall& call) { record("SetTimeouts", call); }
    void set_proxy(MemberCall& call) { record("SetProxy", call); }
    void open(MemberCall& call) { record("Open", call); }
    void option(MemberCall& call) { record("Option", call); }
    void credentials(MemberCall& call) { record("SetCredentials", call); }
    void header(MemberCall& call) { record("SetRequestHeader", call); }
    void send(MemberCall& call) {
        record("Send", call);
        if (send_fails) {
            call.fail("refused");
        }
    }
    // Waits its whole time when the response does not come, as a real object does.
    void wait(MemberCall& call) {
        record("WaitForResponse", call);
        if (!responds && !answers_at_once) {
            std::this_thread::sleep_for(std::chrono::seconds(call.integer(0)));
        }
        call.set_result(responds && !answers_at_once);
    }
    void abort(MemberCall& call) { record("Abort", call); }
    void body(MemberCall& call) { call.set_result(Bytes{'o', 'k'}); }
    void headers(MemberCall& call) { call.set_result(std::u16string(u"Set-Cookie: n=1\r\n\r\n")); }
    void status(MemberCall& call) { call.set_result(std::int32_t{200}); }
};

struct Recorded {
    std::shared_ptr<RecordingRequest> object = std::make_shared<RecordingRequest>();
    ComObject handle() const { return object; }
};

const std::string url = "http://time.velmora.example/";

TEST(ComRequestSteps, AGetWithTheDefaults) {
    Recorded request;
    int status = 0;
    const Bytes body = com_request(url, 0, {}, nullptr, nullptr, {}, nullptr, &status, false, {},
                                   {}, 0, {}, {}, 1, request.handle(), true, true, false);
    EXPECT_EQ(body, (Bytes{'o', 'k'}));
    EXPECT_EQ(status, 200);
    // Without normalisation the block starts with CRLF: the empty first line is skipped
    // and the four defaults are set one by one.
    EXPECT_EQ(
        request.object->calls,
        (std::vector<std::string>{
            "SetTimeouts(15000,15000,15000,15000)", "Open(GET," + url + ",True)", "Option(4,0)",
            "SetRequestHeader(Accept,*/*)", "SetRequestHeader(Referer," + url + ")",
            "SetRequestHeader(Accept-Language,zh-cn)",
            "SetRequestHeader(User-Agent,Mozilla/4.0 (compatible; "
            "MSIE 9.0; Windows NT 6.1))",
            "Send()", "WaitForResponse(1)"}));
}

TEST(ComRequestSteps, TimeoutsProxyRedirectsAndCredentials) {
    Recorded keep_timeouts;
    com_request(url, 1, "a=1", nullptr, nullptr, {}, nullptr, nullptr, true, {}, {}, -1, "u", "p",
                0, keep_timeouts.handle(), true, false);
    // -1 keeps the object's time-outs; credentials need a proxy, whatever their target.
    EXPECT_EQ(keep_timeouts.object->calls,
              (std::vector<std::string>{"Open(POST," + url + ",True)", "Option(6,0)", "Option(4,0)",
                                        "SetRequestHeader(,)", "Send(a=1)", "WaitForResponse(1)"}));

    Recorded proxied;
    com_request(url, 2, {}, nullptr, nullptr, "X-A: 1", nullptr, nullptr, false, {},
                "127.0.0.1:3128", 5, "u", "p", 1, proxied.handle(), true, false);
    EXPECT_EQ(proxied.object->calls,
              (std::vector<std::string>{
                  "SetTimeouts(5000,5000,5000,5000)", "SetProxy(2,127.0.0.1:3128)",
                  "Open(HEAD," + url + ",True)", "Option(4,0)", "SetCredentials(u,p,1)",
                  "SetRequestHeader(Proxy-Authorization,Basic dTpw)", "SetRequestHeader(X-A,1)",
                  "Send()", "WaitForResponse(1)"}));
}

TEST(ComRequestSteps, CookiesAreSetAndMergedOnlyWhenPassed) {
    Recorded request;
    Text sent = "a=1";
    Text received;
    com_request(url, 0, {}, &sent, &received, {}, nullptr, nullptr, false, {}, {}, 0, {}, {}, 1,
                request.handle(), true, false);
    EXPECT_EQ(request.object->calls[3], "SetRequestHeader(Cookie,a=1)");
    EXPECT_EQ(received, "n=1; a=1");

    Recorded unsent;
    Text only_received;
    com_request(url, 0, {}, nullptr, &only_received, {}, nullptr, nullptr, false, {}, {}, 0, {}, {},
                1, unsent.handle());
    EXPECT_EQ(only_received, "n=1");
}

// The exchange is waited for a second at a time, so the wait ends once the time-out has
// passed or shutdown begins, and the object is told to abort what it still does.
TEST(ComRequestSteps, AnExchangeThatDoesNotEndIsAbortedAtTheTimeOut) {
    Recorded silent;
    silent.object->responds = false;
    const auto started = std::chrono::steady_clock::now();
    com_request(url, 0, {}, nullptr, nullptr, {}, nullptr, nullptr, false, {}, {}, 2, {}, {}, 1,
                silent.handle());
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_GE(took, std::chrono::seconds(2));
    EXPECT_LT(took, std::chrono::seconds(4));
    const std::vector<std::string> tail(silent.object->calls.end() - 4, silent.object->calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"Send()", "WaitForResponse(1)", "WaitForResponse(1)",
                                              "Abort()"}));

    // An object that answers false at once already has the response: it is read, not
    // aborted.
    Recorded answered;
    answered.object->answers_at_once = true;
    int status = 0;
    EXPECT_EQ(com_request(url, 0, {}, nullptr, nullptr, {}, nullptr, &status, false, {}, {}, 2, {},
                          {}, 1, answered.handle()),
              (Bytes{'o', 'k'}));
    EXPECT_EQ(status, 200);
    EXPECT_EQ(answered.object->calls.back(), "WaitForResponse(1)");

    // A refused Send leaves nothing to wait for.
    Recorded refused;
    refused.object->send_fails = true;
    com_request(url, 0, {}, nullptr, nullptr, {}, nullptr, nullptr, false, {}, {}, 1, {}, {}, 1,
                refused.handle());
    EXPECT_EQ(refused.object->calls.back(), "Send()");
}

TEST(ComRequestSteps, ShutdownEndsTheWaitAtOnce) {
    Recorded silent;
    silent.object->responds = false;
    request_shutdown();
    const auto started = std::chrono::steady_clock::now();
    com_request(url, 0, {}, nullptr, nullptr, {}, nullptr, nullptr, false, {}, {}, 30, {}, {}, 1,
                silent.handle());
    reset_shutdown();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
    EXPECT_EQ(silent.object->calls.back(), "Abort()");
}

}  // namespace
}  // namespace velmora
