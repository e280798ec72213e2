#include "base/ini_file.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "base/system/atomic_file.h"
#include "base/backend.h"
#include "base/gbk.h"

namespace velmora {

namespace {

constexpr size_t kLongestValue = 10239;  // the reader's buffer, less its terminating zero

bool is_blank(char byte) {
    return static_cast<unsigned char>(byte) <= 0x20;
}

bool is_lead_byte(char byte) {
    return static_cast<unsigned char>(byte) >= 0x80;
}

std::string_view skip_leading_blanks(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

// Trail bytes of GBK characters are 0x40 and above, so dropping bytes of 0x20 and below
// from the end never splits a character.
std::string_view trim_blanks(std::string_view text) {
    text = skip_leading_blanks(text);
    while (!text.empty() && is_blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The position of the first `wanted` byte that starts a character, or npos. `wanted` is
// ASCII, but it may equal a trail byte of a double-byte character.
size_t find_character(std::string_view text, char wanted) {
    for (size_t i = 0; i < text.size(); i += is_lead_byte(text[i]) ? 2 : 1) {
        if (text[i] == wanted) {
            return i;
        }
    }
    return std::string_view::npos;
}

char fold_ascii(char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
}

// Equal except for the case of ASCII letters; the bytes of double-byte characters
// compare exactly (a trail byte may look like a letter).
bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (is_lead_byte(a[i])) {
            if (a.substr(i, 2) != b.substr(i, 2)) {
                return false;
            }
            ++i;
        } else if (fold_ascii(a[i]) != fold_ascii(b[i])) {
            return false;
        }
    }
    return true;
}

// At most kLongestValue bytes, never ending in half a character, never holding a zero.
Text cut_value(std::string_view value) {
    value = value.substr(0, value.find('\0'));
    if (value.size() <= kLongestValue) {
        return Text(value);
    }
    size_t end = 0;
    while (end < kLongestValue) {
        size_t step = is_lead_byte(value[end]) ? 2 : 1;
        if (end + step > kLongestValue) {
            break;
        }
        end += step;
    }
    return Text(value.substr(0, end));
}

std::string_view strip_quotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// One line of the file, its end (CR LF, LF, a lone CR or nothing on a last line) kept
// apart so that lines nobody touches are written back byte for byte. The platform's
// reader ends a line at a lone CR too, so a line break of any kind ends one here.
struct Line {
    std::string text;
    std::string end;
};

std::vector<Line> split_lines(std::string_view content) {
    std::vector<Line> lines;
    while (!content.empty()) {
        const size_t ending = content.find_first_of("\r\n");
        const size_t end_size = ending == std::string_view::npos      ? 0
                                : content.substr(ending, 2) == "\r\n" ? 2
                                                                      : 1;
        const size_t text_size = ending == std::string_view::npos ? content.size() : ending;
        lines.push_back({std::string(content.substr(0, text_size)),
                         std::string(content.substr(text_size, end_size))});
        content.remove_prefix(text_size + end_size);
    }
    return lines;
}

std::string join_lines(const std::vector<Line>& lines) {
    std::string content;
    for (const Line& line : lines) {
        content += line.text;
        content += line.end;
    }
    return content;
}

// A section line's name, or nothing for any other line.
std::optional<std::string_view> section_name(std::string_view line) {
    line = skip_leading_blanks(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    line.remove_prefix(1);
    return trim_blanks(line.substr(0, find_character(line, ']')));
}

struct Entry {
    std::string_view key;
    std::string_view value;
};

// A key line's key and value, or nothing for blank, comment and other lines.
std::optional<Entry> key_entry(std::string_view line) {
    line = skip_leading_blanks(line);
    size_t equals = line.find('=');  // '=' is never a trail byte
    if (line.empty() || line.front() == ';' || line.front() == '[' ||
        equals == std::string_view::npos) {
        return std::nullopt;
    }
    return Entry{trim_blanks(line.substr(0, equals)), trim_blanks(line.substr(equals + 1))};
}

// Where a section's lines are: its header, and the line after its last line.
struct SectionSpan {
    size_t header;
    size_t end;
};

std::optional<SectionSpan> find_section(const std::vector<Line>& lines, std::string_view name) {
    for (size_t i = 0; i < lines.size(); ++i) {
        auto found = section_name(lines[i].text);
        if (found && same_name(*found, name)) {
            size_t end = i + 1;
            while (end < lines.size() && !section_name(lines[end].text)) {
                ++end;
            }
            return SectionSpan{i, end};
        }
    }
    return std::nullopt;
}

std::optional<size_t> find_key(const std::vector<Line>& lines, SectionSpan span,
                               std::string_view key) {
    for (size_t i = span.header + 1; i < span.end; ++i) {
        auto entry = key_entry(lines[i].text);
        if (entry && same_name(entry->key, key)) {
            return i;
        }
    }
    return std::nullopt;
}

bool has_line_break(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// Inserts a line at `position`, giving the line before it a line end if it had none.
void insert_line(std::vector<Line>& lines, size_t position, std::string text) {
    if (position > 0 && lines[position - 1].end.empty()) {
        lines[position - 1].end = "\r\n";
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(position),
                 Line{std::move(text), "\r\n"});
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool has_non_ascii(std::string_view content) {
    return std::any_of(content.begin(), content.end(),
                       [](char byte) { return static_cast<unsigned char>(byte) >= 0x80; });
}

// A file's content as GBK, and whether it was UTF-8 (see ini_file_in_utf8).
std::string as_gbk(std::string content, bool* was_utf8 = nullptr) {
    Text converted;
    bool utf8 = false;
    if (content.starts_with(kUtf8Mark)) {
        utf8 = true;
        if (!backend::utf8_to_gbk(std::string_view(content).substr(kUtf8Mark.size()), converted)) {
            // Characters beyond GBK: the rest still reads, they alone are lost.
            convert_charset(std::string_view(content).substr(kUtf8Mark.size()), "UTF-8", "GBK",
                            converted);
        }
    } else {
        utf8 = has_non_ascii(content) && backend::utf8_to_gbk(content, converted);
    }
    if (was_utf8 != nullptr) {
        *was_utf8 = utf8;
    }
    return utf8 ? converted : content;
}

}  // namespace

bool ini_file_in_utf8(const Text& path) {
    const std::optional<std::string> content = read_whole_file(path);
    bool utf8 = false;
    if (content) {
        as_gbk(*content, &utf8);
    }
    return utf8;
}

Text read_ini_item(const Text& path, const Text& section, const Text& key,
                   const Text& default_value) {
    const std::string_view file = skip_leading_blanks(path);
    const std::string_view section_wanted = trim_blanks(section);
    const std::string_view key_wanted = trim_blanks(key);
    if (file.empty() || section_wanted.empty() || key_wanted.empty()) {
        return {};
    }
    std::string_view fallback = default_value;
    while (!fallback.empty() && fallback.back() == ' ') {
        fallback.remove_suffix(1);
    }

    auto content = read_whole_file(std::string(file));
    if (!content) {
        return cut_value(fallback);
    }
    std::vector<Line> lines = split_lines(as_gbk(std::move(*content)));
    auto span = find_section(lines, section_wanted);
    auto line = span ? find_key(lines, *span, key_wanted) : std::nullopt;
    if (!line) {
        return cut_value(fallback);
    }
    return cut_value(strip_quotes(key_entry(lines[*line].text)->value));
}

bool write_ini_item(const Text& path, const Text& section, const Text& key, const Text& value) {
    std::string file(skip_leading_blanks(path));
    std::string_view section_wanted = trim_blanks(section);
    std::string_view key_wanted = trim_blanks(key);
    if (file.empty() || section_wanted.empty() || key_wanted.empty() ||
        has_line_break(section_wanted) || has_line_break(key_wanted) || has_line_break(value) ||
        find_character(section_wanted, ']') != std::string_view::npos ||
        key_wanted.find('=') != std::string_view::npos || key_wanted.front() == ';' ||
        key_wanted.front() == '[') {
        return false;
    }

    bool missing = false;
    auto content = read_whole_file(file, &missing);
    if (!content && !missing) {
        return false;  // exists but unreadable: rewriting it would lose its content
    }
    std::vector<Line> lines = split_lines(content ? as_gbk(std::move(*content)) : std::string());

    auto span = find_section(lines, section_wanted);
    if (!span) {
        if (!lines.empty() && !trim_blanks(lines.back().text).empty()) {
            insert_line(lines, lines.size(), "");
        }
        insert_line(lines, lines.size(), "[" + std::string(section_wanted) + "]");
        insert_line(lines, lines.size(), std::string(key_wanted) + "=" + value);
    } else if (auto line = find_key(lines, *span, key_wanted)) {
        // Keep the key as the file spells it; only the value changes.
        lines[*line].text = std::string(key_entry(lines[*line].text)->key) + "=" + value;
    } else {
        // After the section's last non-blank line, so blank lines between sections stay.
        size_t position = span->end;
        while (position > span->header + 1 && trim_blanks(lines[position - 1].text).empty()) {
            --position;
        }
        insert_line(lines, position, std::string(key_wanted) + "=" + value);
    }
    return replace_file_atomically(file, join_lines(lines));
}

}  // namespace velmora
