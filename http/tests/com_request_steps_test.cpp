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

// Every step in its order, in one exchange that takes each of them.
TEST(ComRequestSteps, TheGoldenSequence) {
    Recorded request;
    const ComOutcome o = com_request(ComRequest{.url = url,
                                                .method = 1,
                                                .body = "k=v",
                                                .cookies = "Cookie: a=1",
                                                .extra_headers = "X-A: 1",
                                                .no_redirect = true,
                                                .proxy = "127.0.0.1:3128",
                                                .timeout_seconds = 5,
                                                .auth_user = "u",
                                                .auth_password = "p",
                                                .request_object = request.handle(),
                                                .normalize_header_names = false});
    // Without normalisation the block starts with the caller's line and each default
    // follows as a line of its own.
    EXPECT_EQ(
        request.object->calls,
        (std::vector<std::string>{
            "SetTimeouts(5000,5000,5000,5000)", "SetProxy(2,127.0.0.1:3128)",
            "Open(POST," + url + ",True)", "Option(6,0)", "Option(4,0)", "SetCredentials(u,p,1)",
            "SetRequestHeader(Proxy-Authorization,Basic dTpw)", "SetRequestHeader(Cookie, a=1)",
            "SetRequestHeader(X-A,1)", "SetRequestHeader(Accept,*/*)",
            "SetRequestHeader(Referer," + url + ")", "SetRequestHeader(Accept-Language,zh-cn)",
            "SetRequestHeader(User-Agent,Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1))",
            "SetRequestHeader(Content-Type,application/x-www-form-urlencoded)", "Send(k=v)",
            "WaitForResponse(1)"}));
    EXPECT_EQ(o.body, (Bytes{'o', 'k'}));
    EXPECT_EQ(o.status, 200);
    EXPECT_EQ(o.headers, "Set-Cookie: n=1\r\n\r\n");
    // "Cookie:" goes from the text sent, and what was sent is merged with what came.
    EXPECT_EQ(o.received_cookies, "n=1; a=1");
}

// The steps the golden sequence takes that a request without their input leaves out.
TEST(ComRequestSteps, StepsWithoutTheirInputAreLeftOut) {
    // -1 keeps the object's time-outs; credentials need a proxy, whatever their target; a
    // block of one line without a colon is still set, as an empty name and value.
    Recorded bare;
    com_request(ComRequest{.url = url,
                           .method = 2,
                           .timeout_seconds = -1,
                           .auth_user = "u",
                           .auth_password = "p",
                           .auth_target = 0,
                           .request_object = bare.handle(),
                           .add_default_headers = false});
    EXPECT_EQ(bare.object->calls,
              (std::vector<std::string>{"Open(HEAD," + url + ",True)", "Option(4,0)",
                                        "SetRequestHeader(,)", "Send()", "WaitForResponse(1)"}));

    // Without cookies to send none is set and nothing is merged; a block that begins
    // with its line break (no caller's lines, not normalised) sets no empty header. The
    // positional form gives the same.
    Recorded unsent;
    Text only_received;
    int status = 0;
    EXPECT_EQ(com_request(url, 0, {}, nullptr, &only_received, {}, nullptr, &status, false, {}, {},
                          0, {}, {}, 1, unsent.handle(), true, true, false),
              (Bytes{'o', 'k'}));
    EXPECT_EQ(only_received, "n=1");
    EXPECT_EQ(status, 200);
    EXPECT_EQ(
        unsent.object->calls,
        (std::vector<std::string>{
            "SetTimeouts(15000,15000,15000,15000)", "Open(GET," + url + ",True)", "Option(4,0)",
            "SetRequestHeader(Accept,*/*)", "SetRequestHeader(Referer," + url + ")",
            "SetRequestHeader(Accept-Language,zh-cn)",
            "SetRequestHeader(User-Agent,Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1))",
            "Send()", "WaitForResponse(1)"}));
}

// The exchange is waited for a second at a time, so the wait ends once the time-out has
// passed or shutdown begins, and the object is told to abort what it still does.
TEST(ComRequestSteps, AnExchangeThatDoesNotEndIsAbortedAtTheTimeOut) {
    Recorded silent;
    silent.object->responds = false;
    const auto started = std::chrono::steady_clock::now();
    com_request(ComRequest{.url = url, .timeout_seconds = 2, .request_object = silent.handle()});
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
    const ComOutcome o = com_request(
        ComRequest{.url = url, .timeout_seconds = 2, .request_object = answered.handle()});
    EXPECT_EQ(o.body, (Bytes{'o', 'k'}));
    EXPECT_EQ(o.status, 200);
    EXPECT_EQ(answered.object->calls.back(), "WaitForResponse(1)");

    // A refused Send leaves nothing to wait for.
    Recorded refused;
    refused.object->send_fails = true;
    com_request(ComRequest{.url = url, .timeout_seconds = 1, .request_object = refused.handle()});
    EXPECT_EQ(refused.object->calls.back(), "Send()");
}

TEST(ComRequestSteps, ShutdownEndsTheWaitAtOnce) {
    Recorded silent;
    silent.object->responds = false;
    request_shutdown();
    const auto started = std::chrono::steady_clock::now();
    com_request(ComRequest{.url = url, .timeout_seconds = 30, .request_object = silent.handle()});
    reset_shutdown();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
    EXPECT_EQ(silent.object->calls.back(), "Abort()");
}

}  // namespace
}  // namespace velmora
