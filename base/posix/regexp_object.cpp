#include "base/posix/regexp_object.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/automation/item_collection.h"
#include "base/automation/automation_class.h"

namespace velmora {

namespace {

struct CodeDeleter {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataDeleter {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct CompileContextDeleter {
    void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
using CompiledPattern = std::shared_ptr<pcre2_code>;

// Compiling costs more than matching the short texts the program searches, and it uses a
// handful of fixed patterns; so each thread keeps what it compiled (bounded, as patterns
// are the caller's). A compiled pattern is never changed by matching.
// A null result with *error_code left 0 means memory ran out.
CompiledPattern compile_cached(const std::u16string& pattern, std::uint32_t options,
                               int* error_code, PCRE2_SIZE* error_offset) {
    constexpr std::size_t kMaxPatterns = 32;
    thread_local std::map<std::pair<std::u16string, std::uint32_t>, CompiledPattern> patterns;
    auto key = std::make_pair(pattern, options);
    const auto found = patterns.find(key);
    if (found != patterns.end()) {
        return found->second;
    }
    std::unique_ptr<pcre2_compile_context, CompileContextDeleter> context(
        pcre2_compile_context_create(nullptr));
    if (!context) {
        return nullptr;
    }
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANYCRLF);
    CompiledPattern code(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                       options, error_code, error_offset, context.get()),
                         CodeDeleter{});
    if (!code) {
        return code;
    }
    if (patterns.size() >= kMaxPatterns) {
        patterns.clear();
    }
    patterns.emplace(std::move(key), code);
    return code;
}

// A span of the subject, in UTF-16 units.
struct Span {
    std::size_t start = 0;
    std::size_t end = 0;
};

struct Found {
    Span whole;
    std::vector<std::optional<Span>> groups;  // group 1 first; nullopt when it took no part
};

bool is_high_surrogate(char16_t unit) {
    return unit >= 0xd800 && unit <= 0xdbff;
}

bool is_low_surrogate(char16_t unit) {
    return unit >= 0xdc00 && unit <= 0xdfff;
}

std::u16string piece(const std::u16string& subject, Span span) {
    return subject.substr(span.start, span.end - span.start);
}

class MatchObject final : public AutomationObject {
  public:
    MatchObject(std::u16string value, std::int32_t first_index, std::vector<Variant> submatches)
        : value_(std::move(value)),
          first_index_(first_index),
          submatches_(std::make_shared<ItemCollection>(std::move(submatches))) {}

    const MemberTable& members() const override {
        using Member = MemberOf<MatchObject>;
        static const MemberTable table{
            Member{"Value", MemberAccess::property_get, 0, 0, &MatchObject::value},
            Member{"FirstIndex", MemberAccess::property_get, 0, 0, &MatchObject::first_index},
            Member{"Length", MemberAccess::property_get, 0, 0, &MatchObject::length},
            Member{"SubMatches", MemberAccess::property_get, 0, 0, &MatchObject::submatches},
        };
        return table;
    }

  private:
    void value(MemberCall& call) { call.set_result(value_); }
    void first_index(MemberCall& call) { call.set_result(first_index_); }
    void length(MemberCall& call) { call.set_result(static_cast<std::int32_t>(value_.size())); }
    void submatches(MemberCall& call) { call.set_result(submatches_); }

    std::u16string value_;
    std::int32_t first_index_;
    ComObject submatches_;
};

class RegExpObject final : public AutomationObject {
  public:
    const MemberTable& members() const override {
        using Member = MemberOf<RegExpObject>;
        constexpr auto get = MemberAccess::property_get;
        constexpr auto put = MemberAccess::property_put;
        static const MemberTable table{
            Member{"Pattern", get, 0, 0, &RegExpObject::get_pattern},
            Member{"Pattern", put, 1, 1, &RegExpObject::put_pattern},
            Member{"IgnoreCase", get, 0, 0, &RegExpObject::get_ignore_case},
            Member{"IgnoreCase", put, 1, 1, &RegExpObject::put_ignore_case},
            Member{"Global", get, 0, 0, &RegExpObject::get_global},
            Member{"Global", put, 1, 1, &RegExpObject::put_global},
            Member{"Multiline", get, 0, 0, &RegExpObject::get_multiline},
            Member{"Multiline", put, 1, 1, &RegExpObject::put_multiline},
            Member{"Execute", MemberAccess::method, 1, 1, &RegExpObject::execute},
            Member{"Test", MemberAccess::method, 1, 1, &RegExpObject::test},
            Member{"Replace", MemberAccess::method, 2, 2, &RegExpObject::replace},
        };
        return table;
    }

  private:
    void get_pattern(MemberCall& call) { call.set_result(pattern_); }
    void put_pattern(MemberCall& call) { take(call, call.wide(0), pattern_); }
    void get_ignore_case(MemberCall& call) { call.set_result(ignore_case_); }
    void put_ignore_case(MemberCall& call) { take(call, call.boolean(0), ignore_case_); }
    void get_global(MemberCall& call) { call.set_result(global_); }
    void put_global(MemberCall& call) { take(call, call.boolean(0), global_); }
    void get_multiline(MemberCall& call) { call.set_result(multiline_); }
    void put_multiline(MemberCall& call) { take(call, call.boolean(0), multiline_); }

    // A property keeps its old value when the new one could not be converted.
    template <typename T>
    static void take(const MemberCall& call, T value, T& property) {
        if (!call.error()) {
            property = std::move(value);
        }
    }

    void execute(MemberCall& call) {
        std::u16string subject = call.wide(0);
        std::optional<std::vector<Found>> found = search(call, subject, global_);
        if (!found) {
            return;
        }
        std::vector<Variant> matches;
        for (const Found& match : *found) {
            std::vector<Variant> submatches;
            for (const std::optional<Span>& group : match.groups) {
                if (group) {
                    submatches.emplace_back(piece(subject, *group));
                } else {
                    submatches.emplace_back();  // a group that took no part is empty
                }
            }
            ComObject item = std::make_shared<MatchObject>(
                piece(subject, match.whole), static_cast<std::int32_t>(match.whole.start),
                std::move(submatches));
            matches.emplace_back(std::move(item));
        }
        call.set_result(std::make_shared<ItemCollection>(std::move(matches)));
    }

    void test(MemberCall& call) {
        std::optional<std::vector<Found>> found = search(call, call.wide(0), false);
        if (found) {
            call.set_result(!found->empty());
        }
    }

    void replace(MemberCall& call) {
        std::u16string subject = call.wide(0);
        std::u16string replacement = call.wide(1);
        std::optional<std::vector<Found>> found = search(call, subject, global_);
        if (!found) {
            return;
        }
        std::u16string result;
        std::size_t copied = 0;
        for (const Found& match : *found) {
            result.append(subject, copied, match.whole.start - copied);
            result += expand(replacement, subject, match);
            copied = match.whole.end;
        }
        result.append(subject, copied);
        call.set_result(std::move(result));
    }

    // The pattern compiled with the current switches; nullptr (and the call failed) when it
    // does not compile.
    CompiledPattern compile(MemberCall& call) const {
        std::uint32_t options = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_DOLLAR_ENDONLY |
                                PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF;
        if (ignore_case_) {
            options |= PCRE2_CASELESS;
        }
        if (multiline_) {
            options |= PCRE2_MULTILINE;
        }
        int error_code = 0;
        PCRE2_SIZE error_offset = 0;
        CompiledPattern code = compile_cached(pattern_, options, &error_code, &error_offset);
        if (!code && error_code == 0) {
            call.fail("out of memory");
        } else if (!code) {
            call.fail("syntax error in regular expression at offset " +
                      std::to_string(error_offset));
        }
        return code;
    }

    // Every match in subject, or only the first unless `all`; nullopt (and the call failed)
    // when the pattern does not compile or matching breaks off.
    std::optional<std::vector<Found>> search(MemberCall& call, const std::u16string& subject,
                                             bool all) const {
        if (call.error()) {
            return std::nullopt;
        }
        CompiledPattern code = compile(call);
        if (!code) {
            return std::nullopt;
        }
        std::unique_ptr<pcre2_match_data, MatchDataDeleter> data(
            pcre2_match_data_create_from_pattern(code.get(), nullptr));
        if (!data) {
            call.fail("out of memory");
            return std::nullopt;
        }
        std::uint32_t group_count = 0;
        pcre2_pattern_info(code.get(), PCRE2_INFO_CAPTURECOUNT, &group_count);

        std::vector<Found> found;
        std::size_t start = 0;
        while (start <= subject.size()) {
            int rc = pcre2_match(code.get(), reinterpret_cast<PCRE2_SPTR>(subject.data()),
                                 subject.size(), start, 0, data.get(), nullptr);
            if (rc == PCRE2_ERROR_NOMATCH) {
                break;
            }
            if (rc < 0) {
                call.fail("matching broke off with code " + std::to_string(rc));
                return std::nullopt;
            }
            const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
            Found match{{ovector[0], ovector[1]}, {}};
            for (std::uint32_t group = 1; group <= group_count; ++group) {
                bool took_part =
                    group < static_cast<std::uint32_t>(rc) && ovector[2 * group] != PCRE2_UNSET;
                match.groups.push_back(took_part ? std::optional<Span>(Span{ovector[2 * group],
                                                                            ovector[2 * group + 1]})
                                                 : std::nullopt);
            }
            found.push_back(std::move(match));
            if (!all) {
                break;
            }
            start = next_start(subject, start, ovector[0], ovector[1]);
        }
        return found;
    }

    // Where the search goes on after a match: at its end, or one character further after an
    // empty match so that the loop always advances (never inside a surrogate pair).
    static std::size_t next_start(const std::u16string& subject, std::size_t start,
                                  std::size_t match_start, std::size_t match_end) {
        std::size_t next = match_end > match_start ? match_end : match_end + 1;
        if (next <= start) {
            next = start + 1;
        }
        if (next < subject.size() && is_low_surrogate(subject[next]) &&
            is_high_surrogate(subject[next - 1])) {
            ++next;
        }
        return next;
    }

    // The group named by the digits at `at`: two digits when they name an existing group,
    // else one; the number and how many digits it took, or nullopt.
    static std::optional<std::pair<std::size_t, std::size_t>> group_reference(
        const std::u16string& replacement, std::size_t at, std::size_t groups) {
        auto digit = [&](std::size_t index) -> std::optional<std::size_t> {
            if (index < replacement.size() && replacement[index] >= u'0' &&
                replacement[index] <= u'9') {
                return static_cast<std::size_t>(replacement[index] - u'0');
            }
            return std::nullopt;
        };
        std::optional<std::size_t> first = digit(at);
        if (!first) {
            return std::nullopt;
        }
        if (std::optional<std::size_t> second = digit(at + 1)) {
            std::size_t number = *first * 10 + *second;
            if (number >= 1 && number <= groups) {
                return std::pair{number, std::size_t{2}};
            }
        }
        if (*first >= 1 && *first <= groups) {
            return std::pair{*first, std::size_t{1}};
        }
        return std::nullopt;
    }

    // The replacement with its $ forms filled in from one match; any other "$" is literal.
    static std::u16string expand(const std::u16string& replacement, const std::u16string& subject,
                                 const Found& match) {
        std::u16string out;
        for (std::size_t i = 0; i < replacement.size(); ++i) {
            if (replacement[i] != u'$' || i + 1 == replacement.size()) {
                out.push_back(replacement[i]);
                continue;
            }
            const char16_t next = replacement[i + 1];
            std::size_t used = 1;  // characters taken after the "$"
            if (next == u'$') {
                out.push_back(u'$');
            } else if (next == u'&') {
                out += piece(subject, match.whole);
            } else if (next == u'`') {
                out.append(subject, 0, match.whole.start);
            } else if (next == u'\'') {
                out.append(subject, match.whole.end);
            } else if (auto group = group_reference(replacement, i + 1, match.groups.size())) {
                const std::optional<Span>& span = match.groups[group->first - 1];
                if (span) {
                    out += piece(subject, *span);
                }
                used = group->second;
            } else {
                out.push_back(u'$');
                used = 0;
            }
            i += used;
        }
        return out;
    }

    std::u16string pattern_;
    bool ignore_case_ = false;
    bool global_ = false;
    bool multiline_ = false;
};

}  // namespace

ComObject make_regexp_object() {
    return std::make_shared<RegExpObject>();
}

}  // namespace velmora
