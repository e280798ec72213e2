#include "app/win32/command_line_words.h"

#include <windows.h>

#include <shellapi.h>

#include "base/win32/wide_text.h"

namespace velmora {

TextList command_line_words(const wchar_t* command_line) {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(command_line, &count);
    TextList texts;
    if (words == nullptr) {
        return texts;
    }
    for (int i = 1; i < count; ++i) {
        texts.push_back(text_from_wide(words[i]));
    }
    LocalFree(words);
    return texts;
}

}  // namespace velmora
