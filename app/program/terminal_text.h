// Texts to and from a terminal (command-line words, standard output and error), which
// on Linux speaks UTF-8, whatever locale a service or a chroot happens to start with.
#pragma once

#include <string>

#include "base/types.h"

namespace velmora {

// A word as the system's GBK text. A word that would lose bytes on the way (not UTF-8,
// or beyond GBK) stays as it came, so a damaged word never passes for another.
Text text_from_terminal(const std::string& word);

// The GBK text as UTF-8, for printing.
std::string text_for_terminal(const Text& text);

}  // namespace velmora
