#pragma once
// Where the in-call screen puts its three lines of text and its end-call button, for any screen size
// and resolution: the lines a third of the way down the room above the button, the button across the
// bottom; on a screen too low for both, the button stands in a column on the right instead. Nothing
// overlaps and nothing leaves the screen.
#include <windows.h>

struct InCallLayout {
    RECT Status = {}; // "Вызов…" or the service request's state
    RECT Title = {};  // the called party, or the number when there is no name
    RECT Detail = {}; // the number under a name
    RECT EndButton = {};
    int TitleFontHeight = 0; // character heights in pixels
    int TextFontHeight = 0;
};

// The layout of a width × height client area at dpi (vertical logical pixels per inch).
InCallLayout LayOutInCall(int width, int height, int dpi);
