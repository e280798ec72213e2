// Re-decoding a response body in the charset its page declares, and the small
// regular-expression facility that finds the declaration.
#pragma once

#include <memory>

#include "base/types.h"

namespace velmora {

// A regular-expression search over the "VBScript.RegExp" automation class. It keeps the
// object, the match collection and the subject of its last search; a copy shares the two
// object references. Each request engine call owns one instance.
class regex_object {
  public:
    regex_object();
    ~regex_object();
    regex_object(const regex_object& source);
    regex_object& operator=(const regex_object& source);

    // Runs a fresh search of `subject`. With `quote_token`, every "#引号" in the pattern
    // stands for a double quote. True when a match collection came back, even an empty one.
    bool search(const Text& pattern_text, const Text& subject, bool case_sensitive = false,
                bool multiline = true, bool global = true, bool quote_token = false);

    // The pattern of the last search; empty before the first one.
    Text pattern() const;
    // The last subject with every match replaced by `replacement`.
    Text replace(const Text& replacement) const;
    int match_count() const;
    // Match and group numbers are 1-based; a missing one gives the empty text.
    Text match_text(int match) const;
    Text submatch(int match, int group) const;
    // The number of capture groups of the first match.
    int group_count() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// `response_text` is the body up to its first zero byte, `body` the raw bytes. When a
// meta tag in the first 1024 bytes declares a charset other than "gbk" or "gb2312", the
// body is re-decoded from that charset into GBK (an unknown charset may give the empty
// text); otherwise the text comes back as it was.
Text decode_response_text(Text response_text, const Bytes& body);

}  // namespace velmora
