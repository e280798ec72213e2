// GBK texts at the platform's wide (UTF-16) calls, which take every character whatever
// the system's ANSI code page; wchar_t is UTF-16 on this platform.
#pragma once

#include <string>
#include <string_view>

#include "base/types.h"

namespace velmora {

std::wstring wide_text(const Text& text);
Text text_from_wide(std::wstring_view wide);

// A path the platform gave in UTF-16 as the GBK text that names the same file or
// directory: the path itself, or, when some character in it has no GBK form, its short
// (8.3) form; the empty text when neither converts whole, since a path with a character
// dropped or replaced would name another file.
Text gbk_path(const std::wstring& path);

}  // namespace velmora
