#pragma once
// Text routines of the main screen and the list dialogs: word-wrapped centred text, shortening with
// an ellipsis, and the height of a font's capital letter.
#include "foundation/WString.h"

#include <windows.h>

#include <vector>

struct TextLine {
    int Start = 0; // first character in the text
    int Count = 0; // characters drawn
    int Width = 0; // sum of their advances
};

// Breaks text into lines no wider than width where possible. CR, LF, CR LF and LF CR end a line and
// are never part of one; a break at the very end adds an empty last line. A line keeps its first
// character whatever its width; an overflowing line ends after the last blank past its first
// character (the blank is dropped), or else before the character that overflows.
std::vector<TextLine> BreakLines(const wchar_t* text, int length, const int* advances, int width);

// Draws text centred in rect, wrapped at blanks, in dc's font and colour, clipped to rect and dc's clip
// box; lines that would pass rect's bottom are not drawn. Returns the block's height (lines × line
// height); empty text sets rect's bottom to its top and returns 0.
int DrawWrappedText(HDC dc, const WString& text, RECT& rect);

// Shortens text so that it fits maxWidth in dc's font, ending it with three full stops, or cuts it to
// its first character when not even one character and the stops fit; a cut never parts a surrogate
// pair or a letter from its combining marks. 1 when the text changed.
int FitTextWithEllipsis(WString& text, int maxWidth, HDC dc);

// True for a character drawn as part of the one before it: the second half of a surrogate pair, or a
// combining mark.
bool JoinsPrevious(wchar_t c);

// Height in pixels of "A" in font, measured on the screen.
int TextHeight(HFONT font);

// A font of face at points size on the screen's vertical resolution, height −(dpi × points / 72 + 0.5)
// truncated, with weight, ClearType quality and the other fields of the system font (but its width and
// character set).
HFONT CreatePointFont(const wchar_t* face, int points, int weight);
