#pragma once
// Which letters the keypad keys 2 to 9 show and stand for, in seventeen keypad languages or a layout
// of the user's own, and how a typed key sequence is found again in a name for highlighting.
#include "foundation/Array.h"
#include "foundation/WString.h"

// One row of the built-in table: texts for keys 2 to 9, each "label[^extra label]/letters".
struct KeypadLanguageRow {
    int rowId;
    int languageId; // primary language identifier
    const wchar_t* keys[8];
};

extern const KeypadLanguageRow KeypadLanguageTable[17];

struct KeypadLayout {
    Array<WString> labels;      // printed on the key
    Array<WString> extraLabels; // the second alphabet printed smaller, or ""
    Array<WString> letters;     // every letter the key stands for
    int hasExtraLabels = 0;     // 1 when any extra label is non-empty
};

// An inclusive range of character positions in a name.
struct KeypadMatch {
    int first;
    int last;
};

// Characters after which a word begins, and which a letters part never holds.
bool IsKeypadSeparator(wchar_t c);

// The row for a primary language identifier: the first row of that language, else row 1.
int KeypadRowForLanguage(int primaryLanguage);

// The layout the keypad shows now: the "Type" setting's row, "Custom" for 0, else the user's locale.
KeypadLayout LoadKeypadLayout();

// Row 1..17 from the table, 0 from the "Custom" setting; anything else fails. Empties layout first.
bool BuildKeypadLayout(int rowId, KeypadLayout& layout);

// Parses length code units of a layout text into layout; true when at least one key was kept.
bool ParseKeypadText(const wchar_t* text, int length, KeypadLayout& layout);

// A pattern split into its letter sets, one per typed key, lower-cased: "ABC+def" gives "abc", "def".
using KeypadPattern = Array<WString>;
KeypadPattern SplitKeypadPattern(const wchar_t* pattern);

// For each pattern ("abc+def": one letter set per typed key), the leftmost word start of name where
// the sets match letter by letter, ignoring case; patterns that match nowhere give no range.
Array<KeypadMatch> FindKeypadMatches(const wchar_t* name, const Array<WString>& patterns);
// The same for patterns already split, as a picker keeps them between paints.
Array<KeypadMatch> FindKeypadMatches(const wchar_t* name, const Array<KeypadPattern>& patterns);
