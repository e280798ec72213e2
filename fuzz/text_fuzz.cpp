// Runs the text operations and the marker extraction on arbitrary bytes. Besides the
// sanitizers' checks, it checks the properties every caller relies on: positions stay
// inside the text, pieces are cut from the text, results never grow out of nothing.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

#include "base/date_time.h"
#include "base/markers.h"
#include "base/text.h"

namespace {

using namespace velmora;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Takes one field from the input: a length byte, then that many bytes (clipped).
Text take_field(std::string_view& input) {
    if (input.empty()) {
        return {};
    }
    const std::size_t length =
        std::min<std::size_t>(static_cast<unsigned char>(input[0]) % 8, input.size() - 1);
    Text field(input.substr(1, length));
    input.remove_prefix(1 + length);
    return field;
}

int take_number(std::string_view& input) {
    if (input.empty()) {
        return 0;
    }
    const int number = static_cast<signed char>(input[0]);
    input.remove_prefix(1);
    return number;
}

// A found position lies inside the text with the whole match (an empty needle counts as
// one byte: it is found only where a byte remains).
void check_position(int position, const Text& text, const Text& needle) {
    require(position == -1 || position >= 1);
    if (position > 0) {
        require(position - 1 + std::max<int>(text_length(needle), 1) <= text_length(text));
    }
}

void fuzz_search(const Text& text, const Text& needle, int start, bool ignore_case) {
    check_position(find_text(text, needle, start, ignore_case), text, needle);
    check_position(find_last_text(text, needle, start, ignore_case), text, needle);
    check_position(find_last_text(text, needle, std::nullopt, ignore_case), text, needle);
    const int found = find_text(text, needle, start);
    if (found > 0 && !needle.empty()) {
        require(text_middle(text, found, text_length(needle)) == needle);
    }
}

void fuzz_transforms(const Text& text, const Text& needle, const Text& other, int number) {
    const Text replaced = replace_text(text, needle, other, number, number % 4 - 1);
    require(needle.size() < other.size() || replaced.size() <= text.size());
    const Text trimmed = trim_spaces(text);
    require(trimmed.size() <= text.size() && text.find(trimmed) != Text::npos);
    require(remove_spaces(text).size() <= text.size());
    require(to_upper(text).size() == text.size());
    std::size_t total = 0;
    for (const Text& piece : split_text(text, needle, number)) {
        total += piece.size();
    }
    require(total <= text.size());
    require(compare_text(text, other, number % 2 == 0) ==
            -compare_text(other, text, number % 2 == 0));
    require(compare_text(text, text, false) == 0);
    require(text_left(text, number).size() <= text.size());
    require(text_right(text, number).size() <= text.size());
    require(text_middle(text, number, number).size() <= text.size());
    char_text(char_code(text, number));
}

void fuzz_markers(const Text& text, const Text& left, const Text& right, int number) {
    const Text piece = text_between(text, left, right, number, number % 2 == 0);
    require(text.find(piece) != Text::npos);
    TextList pieces;
    const int count = all_texts_between(text, left, right, pieces, number % 3 == 0, number % 5,
                                        left, right, number & 1, number & 2, number);
    require(count == static_cast<int>(pieces.size()) && count <= text_length(text));
}

void fuzz_date_time(std::string_view input) {
    if (input.size() < sizeof(double)) {
        return;
    }
    DateTime value;
    std::memcpy(&value.days, input.data(), sizeof(double));
    const DateTimeFields f = break_date_time(value);
    require(f.year >= 100 && f.year <= 9999 && f.month >= 1 && f.month <= 12);
    date_time_to_text(value);
    add_to_date_time(value, input[0], static_cast<signed char>(input[1]) * 1000);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    fuzz_date_time(input);
    const int number = take_number(input);
    const Text needle = take_field(input);
    const Text other = take_field(input);
    const Text text(input);
    fuzz_search(text, needle, number, number < 0);
    fuzz_transforms(text, needle, other, number);
    fuzz_markers(text, needle, other, number);
    return 0;
}
