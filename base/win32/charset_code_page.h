// The code page behind a charset name, as the platform's MIME database knows it.
#pragma once

#include <optional>

namespace velmora {

// 936 for every name of GBK and GB2312; 1200 and 1201 for "UTF-16LE" and "UTF-16BE";
// any other name as the platform's charset lookup gives it. Nothing for an unknown name.
std::optional<unsigned> charset_code_page(const char* charset);

}  // namespace velmora
