#include "api/request_bodies.h"

#include "api/form_encoding.h"
#include "base/gbk.h"

namespace velmora {

namespace {

Text credential_prefix(const Text& credential) {
    return "login_token=" + form_value(credential) + "&format=json";
}

}  // namespace

Text domain_list_body(const Text& credential) {
    return credential_prefix(credential);
}

Text record_list_body(const Text& credential, const Text& domain_id, const Text& record_type) {
    return credential_prefix(credential) + "&domain_id=" + form_value(domain_id) +
           "&sub_domain=www&record_type=" + form_value(record_type) +
           "&offset=0&length=20&sub_domain";
}

Text record_modify_body(const Text& credential, const Text& domain_id, const Text& record_id,
                        const Text& sub_domain, const Text& value, const Text& record_type) {
    return credential_prefix(credential) + "&domain_id=" + form_value(domain_id) +
           "&record_id=" + form_value(record_id) + "&sub_domain=" + form_value(sub_domain) +
           "&value=" + form_value(value) + "&record_type=" + form_value(record_type) +
           "&record_line_id=0&record_line=" + gbk("默认");
}

}  // namespace velmora
