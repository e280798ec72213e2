#include "http/http_date.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <string>
#include <vector>

namespace velmora {
namespace {

struct Token {
    enum Kind { kWord, kNumber, kTime, kOffset } kind;
    std::string text;  // lower-case word, or the digits of a number
    int value = 0;     // number value; offset in minutes east of UTC
    int hour = 0, minute = 0, second = 0;
};

bool is_digit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}
bool is_alpha(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

std::string read_digits(std::string_view text, std::size_t& pos) {
    const std::size_t begin = pos;
    while (pos < text.size() && is_digit(text[pos])) {
        ++pos;
    }
    return std::string(text.substr(begin, pos - begin));
}

// "H:MM" or "H:MM:SS" starting at the digits already read into `first`.
bool read_time(std::string_view text, std::size_t& pos, const std::string& first, Token& token) {
    if (first.size() > 2) {
        return false;
    }
    int fields[3] = {std::stoi(first), 0, 0};
    int count = 1;
    while (count < 3 && pos + 1 < text.size() && text[pos] == ':' && is_digit(text[pos + 1])) {
        ++pos;
        const std::string digits = read_digits(text, pos);
        if (digits.size() > 2) {
            return false;
        }
        fields[count++] = std::stoi(digits);
    }
    if (count < 2 || (pos < text.size() && text[pos] == ':')) {
        return false;
    }
    token.kind = Token::kTime;
    token.hour = fields[0];
    token.minute = fields[1];
    token.second = fields[2];
    return true;
}

// Splits the text into words, numbers, one clock time and zone offsets. Blanks, commas
// and the hyphens of the RFC 850 form separate tokens; a sign after the clock time
// starts a numeric zone offset.
std::optional<std::vector<Token>> tokenize(std::string_view text) {
    std::vector<Token> tokens;
    bool time_seen = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        if (c == ' ' || c == '\t' || c == ',' || (c == '-' && !time_seen)) {
            ++pos;
            continue;
        }
        Token token{};
        if (is_alpha(c)) {
            token.kind = Token::kWord;
            while (pos < text.size() && is_alpha(text[pos])) {
                const char letter = text[pos];
                token.text +=
                    letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter + 32) : letter;
                ++pos;
            }
        } else if (is_digit(c)) {
            const std::string digits = read_digits(text, pos);
            if (pos < text.size() && text[pos] == ':') {
                if (!read_time(text, pos, digits, token)) {
                    return std::nullopt;
                }
                time_seen = true;
            } else {
                if (digits.size() > 4) {
                    return std::nullopt;
                }
                token.kind = Token::kNumber;
                token.text = digits;
                token.value = std::stoi(digits);
            }
        } else if ((c == '+' || c == '-') && pos + 1 < text.size() && is_digit(text[pos + 1])) {
            ++pos;
            const std::string digits = read_digits(text, pos);
            if (digits.size() != 4) {
                return std::nullopt;
            }
            const int hours = std::stoi(digits.substr(0, 2));
            const int minutes = std::stoi(digits.substr(2));
            if (hours > 23 || minutes > 59) {
                return std::nullopt;
            }
            token.kind = Token::kOffset;
            token.value = (c == '-' ? -1 : 1) * (hours * 60 + minutes);
        } else {
            return std::nullopt;
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

// A full or three-letter name from the table; its 1-based index, or 0.
template <std::size_t N>
int name_index(std::string_view word, const std::array<const char*, N>& names) {
    for (std::size_t i = 0; i < N; ++i) {
        const std::string_view name = names[i];
        if (word == name || word == name.substr(0, 3)) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

constexpr std::array<const char*, 12> kMonths = {"january",   "february", "march",    "april",
                                                 "may",       "june",     "july",     "august",
                                                 "september", "october",  "november", "december"};
constexpr std::array<const char*, 7> kWeekdays = {"monday", "tuesday",  "wednesday", "thursday",
                                                  "friday", "saturday", "sunday"};

bool is_utc_name(const std::string& word) {
    return word == "gmt" || word == "utc" || word == "ut" || word == "z";
}

}  // namespace

std::optional<HttpDate> parse_http_date(std::string_view text) {
    const auto tokens = tokenize(text);
    if (!tokens) {
        return std::nullopt;
    }

    int month = 0;
    std::vector<const Token*> numbers;
    const Token* time = nullptr;
    int offset_minutes = 0;
    bool zone_seen = false;
    for (std::size_t i = 0; i < tokens->size(); ++i) {
        const Token& token = (*tokens)[i];
        switch (token.kind) {
            case Token::kWord:
                if (i == 0 && name_index(token.text, kWeekdays) != 0) {
                    break;
                }
                if (month == 0 && !time && name_index(token.text, kMonths) != 0) {
                    month = name_index(token.text, kMonths);
                } else if (time && !zone_seen && is_utc_name(token.text)) {
                    zone_seen = true;
                } else {
                    return std::nullopt;
                }
                break;
            case Token::kNumber:
                if (zone_seen) {
                    return std::nullopt;
                }
                numbers.push_back(&token);
                break;
            case Token::kTime:
                if (time) {
                    return std::nullopt;
                }
                time = &token;
                break;
            case Token::kOffset:
                // The offset closes the date, alone ("+0800") or after a name ("GMT+0800").
                if (!time || i + 1 < tokens->size()) {
                    return std::nullopt;
                }
                offset_minutes = token.value;
                zone_seen = true;
                break;
        }
    }
    // Day before year in all three forms; only the month's place differs.
    if (month == 0 || !time || numbers.size() != 2) {
        return std::nullopt;
    }
    const Token& day_token = *numbers[0];
    const Token& year_token = *numbers[1];
    if (day_token.text.size() > 2) {
        return std::nullopt;
    }
    int year = year_token.value;
    if (year_token.text.size() == 2) {
        year += year < 50 ? 2000 : 1900;
    } else if (year_token.text.size() != 4) {
        return std::nullopt;
    }
    if (time->hour > 23 || time->minute > 59 || time->second > 60) {
        return std::nullopt;
    }

    using namespace std::chrono;
    const year_month_day date{std::chrono::year{year}, std::chrono::month{unsigned(month)},
                              std::chrono::day{unsigned(day_token.value)}};
    if (!date.ok()) {
        return std::nullopt;
    }
    // A leap second is read as the last second of its minute.
    const auto local = sys_days{date} + hours{time->hour} + minutes{time->minute} +
                       seconds{std::min(time->second, 59)};
    const auto utc = local - minutes{offset_minutes};
    const auto utc_day = floor<days>(utc);
    const year_month_day utc_date{utc_day};
    const hh_mm_ss clock{utc - utc_day};

    HttpDate result;
    result.year = int(utc_date.year());
    result.month = int(unsigned(utc_date.month()));
    result.day = int(unsigned(utc_date.day()));
    result.hour = int(clock.hours().count());
    result.minute = int(clock.minutes().count());
    result.second = int(clock.seconds().count());
    return result;
}

}  // namespace velmora
