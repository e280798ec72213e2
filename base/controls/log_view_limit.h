// How much of the run log a window keeps on screen. The full history goes to the
// history file; the window keeps a bounded tail so that months of running do not grow
// its memory without end.
#pragma once

#include <cstddef>

namespace velmora {

// The window shows at least this many of the newest lines ...
inline constexpr int kLogLinesKept = 1000;
// ... and drops the oldest in blocks of this many once it holds kLogLinesKept plus a
// block, so that trimming is rare and cheap rather than one line per append.
inline constexpr int kLogLinesDroppedAtOnce = 100;

// How many of a log's `lines` go from its front: none while it holds no more than
// kLogLinesKept + kLogLinesDroppedAtOnce, else the fewest whole blocks that bring it
// within that.
constexpr std::size_t log_lines_to_drop(std::size_t lines) {
    constexpr std::size_t most = kLogLinesKept + kLogLinesDroppedAtOnce;
    constexpr std::size_t block = kLogLinesDroppedAtOnce;
    return lines <= most ? 0 : (lines - most + block - 1) / block * block;
}

// The same for a log held as text whose lines end in "\r\n" (narrow or wide): how many
// characters go from its front.
template <class String>
std::size_t log_characters_to_drop(const String& text) {
    constexpr typename String::value_type kLineEnd[] = {'\r', '\n', 0};
    std::size_t lines = 0;
    for (auto at = text.find(kLineEnd); at != String::npos; at = text.find(kLineEnd, at + 2)) {
        ++lines;
    }
    std::size_t cut = 0;
    for (std::size_t n = log_lines_to_drop(lines); n > 0; --n) {
        cut = text.find(kLineEnd, cut) + 2;
    }
    return cut;
}

}  // namespace velmora
