// Settings items in a classic ini file: "[section]" lines, each followed by
// "key=value" lines. The file is plain GBK with CR LF line ends, as the platform's own
// private-profile functions read and write it. A file written by hand in UTF-8 is read
// as its GBK form and written back in GBK (see ini_file_in_utf8).
#pragma once

#include "base/types.h"

namespace velmora {

// The value of `key` in `section`, or `default_value` when the file, the section or the
// key is missing. Leading bytes of 0x20 and below are skipped in the path, the section
// and the key; if one of them is then empty the result is the empty text, whatever the
// default. Sections and keys match ignoring the case of ASCII letters. The value is
// read without the blanks around it and without one pair of enclosing double or single
// quotes, and is cut to 10,239 bytes (the default too, after its trailing spaces are
// dropped). Plain byte logic with the platform's rules, on both builds (the Windows
// reader decodes a file in the system's ANSI code page, so only on a Chinese Windows
// could it read a GBK file).
Text read_ini_item(const Text& path, const Text& section, const Text& key,
                   const Text& default_value = {});

// Stores `value` under `section` and `key`, creating the file, the section or the key
// as needed and keeping every other line (other sections and keys, comments) in its
// place. The file is replaced atomically; a new file is private to its owner.
// False when the file cannot be written, or is not the user's own to write (read-only,
// or another user's, even for root; the old file is then unchanged), and when a
// line break in any argument, a "]" in the section or a "=" in the key could not be
// stored without changing the file's structure.
bool write_ini_item(const Text& path, const Text& section, const Text& key, const Text& value);

// Whether the file is taken as UTF-8: it begins with the UTF-8 byte-order mark, or it
// holds bytes beyond ASCII and all of it is UTF-8 with a GBK form. A GBK file of this
// program never passes for UTF-8 so: each of its section names is invalid UTF-8 in
// GBK, so a file holding any of them fails the test as a whole.
bool ini_file_in_utf8(const Text& path);

}  // namespace velmora
