// How much of the run log a window keeps on screen. The full history goes to the
// history file; the window keeps a bounded tail so that months of running do not grow
// its memory without end.
#pragma once

namespace velmora {

// The window shows at least this many of the newest lines ...
inline constexpr int kLogLinesKept = 1000;
// ... and drops the oldest in blocks of this many once it holds kLogLinesKept plus a
// block, so that trimming is rare and cheap rather than one line per append.
inline constexpr int kLogLinesDroppedAtOnce = 100;

}  // namespace velmora
