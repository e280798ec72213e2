#include "base/system/terminal_text.h"

#include "base/gbk.h"

namespace velmora {

Text text_from_terminal(const std::string& word) {
    Text text;
    std::string back;
    const bool whole = convert_charset(word, "UTF-8", "GBK", text) &&
                       convert_charset(text, "GBK", "UTF-8", back) && back == word;
    return whole ? text : word;
}

std::string text_for_terminal(const Text& text) {
    std::string utf8;
    convert_charset(text, "GBK", "UTF-8", utf8);
    return utf8;
}

std::string local_text_for_terminal(const std::string& text) {
    return text;  // both UTF-8
}

}  // namespace velmora
