// Line breaks for texts that hold words wider than their area, as the device paths in the
// updater's failure messages do: drawing breaks lines only at blanks and would cut them.
#pragma once

#include "wce/cstring.h"
#include "wce/gdi.h"

// The text with a line feed at each break, so that every line is at most nWidth pixels wide
// in the font. Lines break at blanks (the blank is dropped); a word too wide for a line
// fills the line and goes on in the next, broken after a path separator where one lies in
// the second half of the piece, else between characters (never inside a surrogate pair).
// Line feeds in the text are kept. Unchanged when nothing can be measured.
CString WrapToWidth(HFONT hFont, LPCWSTR pText, int nWidth);
