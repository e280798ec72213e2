// The stream automation class, over iconv: a byte buffer that is written as bytes and read
// back as text decoded in a chosen charset. Members: properties Type (1 binary, 2 text; the
// start), Mode, Charset (an iconv charset name, "Unicode" for UTF-16LE; "Unicode" at the
// start), Position (bytes from the start), Size; methods Open, Write(byte array), ReadText,
// Close.
//
// As on the platform: Mode changes only while closed, Type only at position 0, Write needs
// the binary type and ReadText the text type. ReadText decodes from the position to the end
// (bytes that do not decode are skipped, a leading byte-order mark is dropped) and leaves
// the position at the end; a charset iconv does not know makes it fail, so callers get the
// empty text. Open takes no source: the stream always starts empty.
#pragma once

#include "base/automation.h"

namespace velmora {

inline constexpr const char* text_stream_prog_id = "Adodb.Stream";
inline constexpr const char* text_stream_class_id = "{776c317f-2269-413d-b87f-67587c2830e9}";

ComObject make_text_stream_object();

}  // namespace velmora
