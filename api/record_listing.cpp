#include "api/record_listing.h"

#include <set>

#include "api/api_post.h"
#include "api/credential.h"
#include "api/login_messages.h"
#include "api/record_list_reply.h"
#include "api/reply_markers.h"
#include "api/request_bodies.h"
#include "api/show_message.h"
#include "base/controls/control_names.h"

namespace velmora {

namespace {

// Writes field i into `column` of row i (row 0 is the domain row and gets none).
void write_column(Controls& controls, const Text& list, int column, const TextList& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        controls.set_list_cell_text(list, static_cast<int>(i) + 1, column, fields[i]);
    }
}

// Page 1's reply decides the login: a code with a message shows it, anything else says
// why the login did not complete. False ends the load.
bool accept_login(Controls& controls, const ApiReply& reply, bool announce_success) {
    const Text refusal = login_refusal_text(reply);
    if (!refusal.empty()) {
        show_message(controls, refusal);
    } else if (announce_success) {
        show_message(controls, find_login_message(kLoginSucceededCode)->message);
    }
    return refusal.empty();
}

// The domain's AAAA records as rows after the A rows, from a second list with the same
// body but record_type=AAAA. A refusal (a provider without AAAA records may answer
// so) or a reply whose lists do not pair up adds nothing; a record the page already
// shows, or of another type (a provider that ignores the type), is not added again.
void append_aaaa_rows(const ApiContext& context, const Text& list, const Text& domain_id) {
    Controls& controls = context.controls;
    const ApiReply reply = api_call(context.endpoints, "Record.List",
                                    record_list_body(credential_text(controls), domain_id, "AAAA"));
    const RecordListReply fields = read_record_list_reply(reply.text);
    if (reply_code(reply.text) != kLoginSucceededCode || !fills_page(fields)) {
        return;
    }
    std::set<Text> shown;
    const int rows = controls.list_row_count(list);
    for (int row = 1; row < rows; ++row) {
        shown.insert(controls.list_cell_text(list, row, control::column::kRecordId));
    }
    for (std::size_t i = 0; i < fields.record_ids.size(); ++i) {
        if (fields.types[i] != "AAAA" || !shown.insert(fields.record_ids[i]).second) {
            continue;
        }
        const int row = controls.insert_list_row(list);
        if (row < 0) {
            return;
        }
        controls.set_list_cell_text(list, row, control::column::kRecordId, fields.record_ids[i]);
        controls.set_list_cell_text(list, row, control::column::kHost, fields.names[i + 1]);
        controls.set_list_cell_text(list, row, control::column::kType, fields.types[i]);
        controls.set_list_cell_text(list, row, control::column::kValue, fields.values[i]);
        if (i < fields.ttls.size()) {
            controls.set_list_cell_text(list, row, control::column::kTtl, fields.ttls[i]);
        }
    }
}

}  // namespace

bool load_record_page(const ApiContext& context, int page, bool announce_success) {
    if (page < 1 || page > control::kPageCount) {
        return false;
    }
    Controls& controls = context.controls;
    const bool is_login = page == 1;
    const ApiReply domains =
        api_call(context.endpoints, "Domain.List", domain_list_body(credential_text(controls)));
    const TextList account_domain_ids = reply_fields(domains.text, reply_marker::kUnquotedId);
    // The account lost domains since the lookup named the pages: there is no domain
    // to fall back on, so the page is left as it is.
    if (static_cast<int>(account_domain_ids.size()) < page) {
        const Text refusal = login_refusal_text(domains);
        if (is_login && !refusal.empty()) {
            show_message(controls, refusal);
        }
        return false;
    }

    const Text& domain_id = account_domain_ids[page - 1];
    const ApiReply reply = api_call(context.endpoints, "Record.List",
                                    record_list_body(credential_text(controls), domain_id));
    if (is_login && !accept_login(controls, reply, announce_success)) {
        return false;
    }

    // Lists that do not pair up by position would put one record's id beside another's
    // name; such a reply leaves the page as it was.
    const RecordListReply fields = read_record_list_reply(reply.text);
    if (!fills_page(fields)) {
        return is_login;
    }

    const Text& list = control::record_list(page);
    for (const Text& name : fields.names) {
        const int row = controls.insert_list_row(list);
        if (row >= 0) {
            controls.set_list_cell_text(list, row, control::column::kHost, name);
        }
    }
    write_column(controls, list, control::column::kRecordId, fields.record_ids);
    write_column(controls, list, control::column::kType, fields.types);
    write_column(controls, list, control::column::kValue, fields.values);
    write_column(controls, list, control::column::kTtl, fields.ttls);

    // Every page carries its domain id in the domain row, whichever page is current,
    // because the refresh and the watch handlers read it from there and send it as it
    // stands. Only the domain object's own id in digits is taken; otherwise the cell
    // keeps what it had.
    if (!fields.domain_ids.empty() && is_domain_id(fields.domain_ids.front())) {
        controls.set_list_cell_text(list, 0, control::column::kRecordId, fields.domain_ids.front());
    }
    append_aaaa_rows(context, list, domain_id);
    return is_login;
}

}  // namespace velmora
