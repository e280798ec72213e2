#include "http/response_decoding.h"

#include "base/automation/automation.h"
#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/text.h"

namespace velmora {

struct regex_object::State {
    ComObject regexp;
    ComObject matches;
    Variant subject;
};

regex_object::regex_object() : state_(std::make_unique<State>()) {}
regex_object::~regex_object() = default;
regex_object::regex_object(const regex_object& source)
    : state_(std::make_unique<State>(*source.state_)) {}
regex_object& regex_object::operator=(const regex_object& source) {
    if (this != &source) {
        *state_ = *source.state_;
    }
    return *this;
}

bool regex_object::search(const Text& pattern_text, const Text& subject, bool case_sensitive,
                          bool multiline, bool global, bool quote_token) {
    release_object(state_->matches);
    release_object(state_->regexp);
    if (!create_object(state_->regexp, "VBScript.RegExp")) {
        return false;
    }
    write_property(state_->regexp, "IgnoreCase", !case_sensitive);
    write_property(state_->regexp, "Multiline", multiline);
    // The class has no such property; the dot never crosses a line end either way.
    write_property(state_->regexp, "Singleline", true);
    write_property(state_->regexp, "Global", global);
    const Text pattern =
        quote_token ? replace_text(pattern_text, gbk("#引号"), "\"") : pattern_text;
    write_property(state_->regexp, "Pattern", pattern);
    set_variant(state_->subject, subject);
    state_->matches = call_object_method(state_->regexp, "Execute", state_->subject);
    return !object_is_empty(state_->matches);
}

Text regex_object::pattern() const {
    return read_text_property(state_->regexp, "Pattern");
}

Text regex_object::replace(const Text& replacement) const {
    return call_text_method(state_->regexp, "Replace", state_->subject, replacement);
}

int regex_object::match_count() const {
    return static_cast<int>(read_number_property(state_->matches, "Count"));
}

Text regex_object::match_text(int match) const {
    const ComObject item = call_object_method(state_->matches, "Item", match - 1);
    return read_text_property(item, "Value");
}

Text regex_object::submatch(int match, int group) const {
    const ComObject item = call_object_method(state_->matches, "Item", match - 1);
    const ComObject groups = read_object_property(item, "SubMatches");
    return call_text_method(groups, "Item", group - 1);
}

int regex_object::group_count() const {
    const ComObject first = call_object_method(state_->matches, "Item", 0);
    const ComObject groups = read_object_property(first, "SubMatches");
    return static_cast<int>(read_number_property(groups, "Count"));
}

namespace {

// A page names its charset in a meta tag near its start, quoted or not.
constexpr const char* kCharsetPattern = R"(<meta.+?charset=[^\w]?([-\w]+))";
constexpr int kSampleLength = 1024;

Text converted_text(Text response_text, const Bytes& body, const Text& charset) {
    // Exact comparison: "GB2312" in capitals is converted, to the same text.
    if (charset.empty() || charset == "gbk" || charset == "gb2312") {
        return response_text;
    }
    // Through the platform's code-page service rather than a stream object, whose
    // members cannot be called under Wine. An unknown charset gives the empty text.
    std::string text;
    convert_charset(std::string_view(reinterpret_cast<const char*>(body.data()), body.size()),
                    charset.c_str(), "GBK", text);
    // A text ends at its first zero byte, as the body's text did.
    return text.substr(0, text.find('\0'));
}

}  // namespace

Text decode_response_text(Text response_text, const Bytes& body) {
    const Text sample = text_left(response_text, kSampleLength);
    // Most replies name no charset; without the literal the pattern cannot match, and
    // the regular-expression object need not be made at all.
    constexpr bool kIgnoreCase = true;
    if (find_text(sample, "charset=", 1, kIgnoreCase) < 0) {
        return response_text;
    }
    regex_object regex;
    if (!regex.search(kCharsetPattern, sample)) {
        return response_text;
    }
    Text text = converted_text(std::move(response_text), body, regex.submatch(1, 1));
    process_events();
    return text;
}

}  // namespace velmora
