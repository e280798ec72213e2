#include "base/posix/text_stream_object.h"

#include <algorithm>
#include <string>

#include "base/automation/names.h"
#include "base/automation_class.h"
#include "base/gbk.h"

namespace velmora {

namespace {

constexpr std::int32_t binary_type = 1;
constexpr std::int32_t text_type = 2;

// The iconv name for a charset, or the empty text when the name cannot be one: only
// letters, digits and "-_.:" pass, so a name never carries iconv's "//" suffixes.
std::string iconv_charset_name(const Text& charset) {
    if (same_name_ignoring_case(charset, "Unicode")) {
        return "UTF-16LE";
    }
    bool plain = !charset.empty() && std::all_of(charset.begin(), charset.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '_' || c == '.' || c == ':';
    });
    return plain ? charset : std::string();
}

class TextStreamObject final : public AutomationObject {
  public:
    const MemberTable& members() const override {
        using Member = MemberOf<TextStreamObject>;
        constexpr auto get = MemberAccess::property_get;
        constexpr auto put = MemberAccess::property_put;
        constexpr auto method = MemberAccess::method;
        static const MemberTable table{
            Member{"Type", get, 0, 0, &TextStreamObject::get_type},
            Member{"Type", put, 1, 1, &TextStreamObject::put_type},
            Member{"Mode", get, 0, 0, &TextStreamObject::get_mode},
            Member{"Mode", put, 1, 1, &TextStreamObject::put_mode},
            Member{"Charset", get, 0, 0, &TextStreamObject::get_charset},
            Member{"Charset", put, 1, 1, &TextStreamObject::put_charset},
            Member{"Position", get, 0, 0, &TextStreamObject::get_position},
            Member{"Position", put, 1, 1, &TextStreamObject::put_position},
            Member{"Size", get, 0, 0, &TextStreamObject::get_size},
            // Source, mode, options, user name, password: accepted, and no source is opened.
            Member{"Open", method, 0, 5, &TextStreamObject::open},
            Member{"Write", method, 1, 1, &TextStreamObject::write},
            Member{"ReadText", method, 0, 1, &TextStreamObject::read_text},
            Member{"Close", method, 0, 0, &TextStreamObject::close},
        };
        return table;
    }

  private:
    void get_type(MemberCall& call) { call.set_result(type_); }
    void put_type(MemberCall& call) {
        std::int32_t type = call.integer(0);
        if (call.error()) {
            return;
        }
        if (type != binary_type && type != text_type) {
            call.fail("no stream type " + std::to_string(type));
        } else if (open_ && position_ != 0) {
            call.fail("the type changes only at position 0");
        } else {
            type_ = type;
        }
    }

    void get_mode(MemberCall& call) { call.set_result(mode_); }
    void put_mode(MemberCall& call) {
        std::int32_t mode = call.integer(0);
        if (call.error()) {
            return;
        }
        if (open_) {
            call.fail("the mode changes only while the stream is closed");
        } else {
            mode_ = mode;
        }
    }

    void get_charset(MemberCall& call) { call.set_result(to_wide(charset_)); }
    void put_charset(MemberCall& call) {
        Text charset = call.text(0);
        if (!call.error()) {
            charset_ = std::move(charset);
        }
    }

    void get_position(MemberCall& call) {
        if (require_open(call)) {
            call.set_result(static_cast<std::int32_t>(position_));
        }
    }
    void put_position(MemberCall& call) {
        std::int32_t position = call.integer(0);
        if (call.error() || !require_open(call)) {
            return;
        }
        if (position < 0 || static_cast<std::size_t>(position) > data_.size()) {
            call.fail("position " + std::to_string(position) + " is outside the stream");
        } else {
            position_ = static_cast<std::size_t>(position);
        }
    }

    void get_size(MemberCall& call) {
        if (require_open(call)) {
            call.set_result(static_cast<std::int32_t>(data_.size()));
        }
    }

    void open(MemberCall& call) {
        if (open_) {
            call.fail("the stream is already open");
            return;
        }
        if (!variant_text(call.at(0)).empty()) {
            call.fail("a stream opens without a source");
            return;
        }
        open_ = true;
        data_.clear();
        position_ = 0;
    }

    void write(MemberCall& call) {
        Bytes bytes = call.bytes(0);
        if (call.error() || !require_open(call)) {
            return;
        }
        if (type_ != binary_type) {
            call.fail("Write needs a binary stream");
            return;
        }
        // Overwrites from the position on and grows the stream as needed.
        const std::size_t end = position_ + bytes.size();
        if (end > data_.size()) {
            data_.resize(end);
        }
        std::copy(bytes.begin(), bytes.end(),
                  data_.begin() + static_cast<std::ptrdiff_t>(position_));
        position_ = end;
    }

    void read_text(MemberCall& call) {
        if (call.count() > 0) {
            std::int32_t count = call.integer(0);
            if (!call.error() && count != -1) {
                call.fail("ReadText reads only the whole rest of the stream (-1)");
            }
        }
        if (call.error() || !require_open(call)) {
            return;
        }
        if (type_ != text_type) {
            call.fail("ReadText needs a text stream");
            return;
        }
        std::string charset = iconv_charset_name(charset_);
        std::string utf16;
        std::string_view rest(reinterpret_cast<const char*>(data_.data()) + position_,
                              data_.size() - position_);
        if (charset.empty() || !convert_charset(rest, charset.c_str(), "UTF-16LE", utf16)) {
            call.fail("unknown charset " + charset_);
            return;
        }
        std::u16string text;
        text.reserve(utf16.size() / 2);
        for (std::size_t i = 0; i + 1 < utf16.size(); i += 2) {
            text.push_back(static_cast<char16_t>(static_cast<unsigned char>(utf16[i]) |
                                                 (static_cast<unsigned char>(utf16[i + 1]) << 8)));
        }
        if (!text.empty() && text.front() == u'\xfeff') {
            text.erase(0, 1);
        }
        position_ = data_.size();
        call.set_result(std::move(text));
    }

    void close(MemberCall& call) {
        if (require_open(call)) {
            open_ = false;
            data_.clear();
            position_ = 0;
        }
    }

    bool require_open(MemberCall& call) {
        if (!open_) {
            call.fail("the stream is closed");
        }
        return open_;
    }

    std::int32_t type_ = text_type;
    std::int32_t mode_ = 0;
    Text charset_ = "Unicode";
    bool open_ = false;
    Bytes data_;
    std::size_t position_ = 0;
};

}  // namespace

ComObject make_text_stream_object() {
    return std::make_shared<TextStreamObject>();
}

}  // namespace velmora
