#include "sandbox/control_interface.h"

#include <httplib.h>

#include "sandbox/json_writer.h"
#include "sandbox/provider_api.h"
#include "sandbox/record_rules.h"
#include "sandbox/sandbox_server.h"

namespace velmora::sandbox {
namespace {

constexpr const char* json_type = "application/json; charset=utf-8";

void answer_json(httplib::Response& res, const std::string& json) {
    res.set_content(json + "\n", json_type);
}

void answer_error(httplib::Response& res, int status, const std::string& message) {
    res.status = status;
    answer_json(res, JsonObject().text("error", message).str());
}

void answer_ok(httplib::Response& res) {
    answer_json(res, JsonObject().boolean("ok", true).str());
}

std::string counters_json(const Counters& counters) {
    JsonObject object;
    for (const auto& [action, n] : counters) {
        object.number(action, static_cast<std::int64_t>(n));
    }
    return object.str();
}

}  // namespace

void add_control_routes(httplib::Server& server, SandboxServer& sandbox) {
    server.Get("/control/state", [&sandbox](const httplib::Request&, httplib::Response& res) {
        answer_json(res, sandbox.state_json());
    });

    // The HTTP-DNS endpoint on 127.0.0.1 and the one on [::1] are steered alike.
    struct DnsRoutes {
        const char* suffix;
        bool (*valid_ip)(std::string_view);
        const char* ip_error;
        void (SandboxServer::*set_public_address)(const std::string&);
        void (SandboxServer::*set_reply)(std::optional<std::string>);
    };
    for (const DnsRoutes& routes :
         {DnsRoutes{"", is_dotted_ipv4, "ip must be a dotted IPv4 address or empty",
                    &SandboxServer::set_public_address, &SandboxServer::set_dns_reply},
          DnsRoutes{"6", is_ipv6_address, "ip must be an IPv6 address or empty",
                    &SandboxServer::set_public_address6, &SandboxServer::set_dns6_reply}}) {
        server.Post("/control/public-address" + std::string(routes.suffix),
                    [&sandbox, routes](const httplib::Request& req, httplib::Response& res) {
                        const std::string ip = req.get_param_value("ip");
                        if (!ip.empty() && !routes.valid_ip(ip)) {
                            answer_error(res, 400, routes.ip_error);
                            return;
                        }
                        (sandbox.*routes.set_public_address)(ip);
                        answer_ok(res);
                    });
        server.Post("/control/dns" + std::string(routes.suffix) + "-reply",
                    [&sandbox, routes](const httplib::Request& req, httplib::Response& res) {
                        (sandbox.*routes.set_reply)(
                            req.has_param("body")
                                ? std::optional<std::string>(req.get_param_value("body"))
                                : std::nullopt);
                        answer_ok(res);
                    });
    }

    server.Post("/control/ignore-record-type",
                [&sandbox](const httplib::Request& req, httplib::Response& res) {
                    sandbox.set_record_type_ignored(req.get_param_value("on") == "1");
                    answer_ok(res);
                });

    server.Post("/control/date", [&sandbox](const httplib::Request& req, httplib::Response& res) {
        sandbox.set_date_header(req.get_param_value("value"));
        answer_ok(res);
    });

    server.Post("/control/account-code",
                [&sandbox](const httplib::Request& req, httplib::Response& res) {
                    if (req.get_param_value("id").empty()) {
                        answer_error(res, 400, "id is required");
                        return;
                    }
                    sandbox.set_forced_reply({.account_id = req.get_param_value("id"),
                                              .action = req.get_param_value("action"),
                                              .code = req.get_param_value("code"),
                                              .with_data = req.get_param_value("data") == "1"});
                    answer_ok(res);
                });

    server.Post("/control/account-code/clear",
                [&sandbox](const httplib::Request&, httplib::Response& res) {
                    sandbox.clear_forced_replies();
                    answer_ok(res);
                });

    server.Get("/control/records", [&sandbox](const httplib::Request& req, httplib::Response& res) {
        const std::optional<std::uint64_t> domain_id = parse_id(req.get_param_value("domain_id"));
        const auto records = domain_id ? sandbox.records(*domain_id) : std::nullopt;
        if (!records) {
            answer_error(res, 404, "no such domain_id");
            return;
        }
        std::vector<std::string> items;
        for (const Record& record : *records) {
            items.push_back(record_json(record));
        }
        answer_json(res, JsonObject()
                             .number("domain_id", static_cast<std::int64_t>(*domain_id))
                             .raw("records", json_array(items))
                             .str());
    });

    server.Post("/control/record-value", [&sandbox](const httplib::Request& req,
                                                    httplib::Response& res) {
        const std::optional<std::uint64_t> record_id = parse_id(req.get_param_value("record_id"));
        if (!record_id || !sandbox.set_record_value(*record_id, req.get_param_value("value"))) {
            answer_error(res, 404, "no such record_id");
            return;
        }
        answer_ok(res);
    });

    server.Get("/control/counters", [&sandbox](const httplib::Request&, httplib::Response& res) {
        answer_json(res, counters_json(sandbox.counters()));
    });

    server.Get("/control/connections", [&sandbox](const httplib::Request&, httplib::Response& res) {
        const ApiConnections counts = sandbox.api_connections();
        answer_json(res,
                    JsonObject()
                        .number("api_connections", static_cast<std::int64_t>(counts.connections))
                        .number("api_handshakes", static_cast<std::int64_t>(counts.handshakes))
                        .number("api_resumed_handshakes", static_cast<std::int64_t>(counts.resumed))
                        .str());
    });

    server.Post("/control/counters/reset",
                [&sandbox](const httplib::Request&, httplib::Response& res) {
                    sandbox.reset_counters();
                    answer_ok(res);
                });

    server.Get("/control/requests", [&sandbox](const httplib::Request&, httplib::Response& res) {
        std::vector<std::string> items;
        for (const ApiRequest& request : sandbox.api_requests()) {
            items.push_back(JsonObject()
                                .text("action", request.action)
                                .text("content_type", request.content_type)
                                .text("body", request.body)
                                .str());
        }
        answer_json(res, json_array(items));
    });
}

}  // namespace velmora::sandbox
