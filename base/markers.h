// Cutting fields out of replies by literal marker pairs: a piece is the text between a
// left marker and the next right marker after it. Nothing here knows about nesting, so
// pieces come in the order their left markers occur in the text.
#pragma once

#include "base/types.h"

namespace velmora {

// The first piece found from byte `start` on (0 or 1: from the first byte), or the empty
// text. In both markers "#引号" stands for a double quote, so JSON markers can be written
// without escapes.
Text text_between(const Text& text, const Text& left, const Text& right, int start = 0,
                  bool ignore_case = false);

// Replaces the contents of `pieces` with every piece, in order, and returns their number.
// Each piece is prefix + bytes + suffix, then with the left marker in front when
// keep_left is 1 and the right marker behind when keep_right is 1; with a max_length
// other than 0, only pieces shorter than max_length are kept. The next left marker is
// looked for just behind the previous one, so a right marker may overlap it. The
// markers are used exactly as given; an empty left marker finds no piece. The calling
// thread handles its pending window events after each piece.
int all_texts_between(const Text& text, const Text& left, const Text& right, TextList& pieces,
                      bool ignore_case = false, int max_length = 0, const Text& prefix = {},
                      const Text& suffix = {}, int keep_left = 0, int keep_right = 0,
                      int start = 0);

}  // namespace velmora
