// Texts to and from a terminal (command-line words, standard input, output and error).
// Linux: UTF-8, whatever locale a service or a chroot happens to start with. Windows:
// the console's code page, or the ANSI code page when the stream is no console (a pipe,
// a file), as the platform's own console programs do.
#pragma once

#include <string>

#include "base/types.h"

namespace velmora {

// A word or a typed line as the system's GBK text. One that would lose bytes on the way
// (not in the terminal's encoding, or beyond GBK) stays as it came, so a damaged word
// never passes for another.
Text text_from_terminal(const std::string& word);

// The GBK text in the terminal's encoding, for printing.
std::string text_for_terminal(const Text& text);

// Text in the platform's own encoding (base/system/local_text.h: the history file's) in
// the terminal's.
std::string local_text_for_terminal(const std::string& text);

}  // namespace velmora
