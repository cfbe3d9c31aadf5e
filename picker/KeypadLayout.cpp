#include "picker/KeypadLayout.h"

#include "foundation/Settings.h"

#include <cwchar>

namespace {

constexpr wchar_t Separators[] = {
    0x000D, 0x000A, 0x0009, 0x0020, 0x0060, 0x0021, 0x0040, 0x0023, 0x0024, 0x0025, 0x005E, 0x0026, 0x002A,
    0x0028, 0x0029, 0x005F, 0x007C, 0x007B, 0x007D, 0x003A, 0x0022, 0x002F, 0x002F, 0x003C, 0x003E, 0x003F,
    0x005B, 0x005D, 0x003B, 0x0027, 0x002C, 0x002E, 0x002F, 0x2116, 0x002D, 0x003D, 0x005C};
static_assert(sizeof Separators / sizeof Separators[0] == 37);

void Clear(KeypadLayout& layout) {
    layout.labels.RemoveAll();
    layout.extraLabels.RemoveAll();
    layout.letters.RemoveAll();
    layout.hasExtraLabels = 0;
}

WString LowerCase(const wchar_t* text) {
    WString copy = text;
    const int length = copy.GetLength();
    if (wchar_t* buffer = copy.GetBuffer(length)) {
        CharLowerBuffW(buffer, length);
        copy.ReleaseBuffer(length);
    }
    return copy;
}

bool MatchesAt(const WString& name, int position, const KeypadPattern& sets) {
    for (int j = 0; j < sets.GetSize(); ++j) {
        const WString& set = sets[j];
        if (set.IsEmpty() || !std::wcschr(set, static_cast<const wchar_t*>(name)[position + j])) return false;
    }
    return true;
}

} // namespace

bool IsKeypadSeparator(wchar_t c) {
    for (wchar_t separator : Separators) {
        if (c == separator) return true;
    }
    return false;
}

int KeypadRowForLanguage(int primaryLanguage) {
    for (const KeypadLanguageRow& row : KeypadLanguageTable) {
        if (row.languageId == primaryLanguage) return row.rowId;
    }
    return 1;
}

KeypadLayout LoadKeypadLayout() {
    int rowId = settings::Read(settings::KeypadType);
    if (rowId < 0 || rowId > 17) {
        wchar_t language[6] = {};
        long identifier = 0x409;
        if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ILANGUAGE, language, 6))
            identifier = wcstol(language, nullptr, 16);
        rowId = KeypadRowForLanguage(identifier & 0xFF);
    }
    KeypadLayout layout;
    BuildKeypadLayout(rowId, layout);
    return layout;
}

bool BuildKeypadLayout(int rowId, KeypadLayout& layout) {
    Clear(layout);
    if (rowId == 0) {
        DWORD size = 0;
        const auto custom = ReadBinary(settings::AbcKey, settings::KeypadCustom, size);
        if (!custom || size / 2 == 0) return false;
        return ParseKeypadText(reinterpret_cast<const wchar_t*>(custom.get()), static_cast<int>(size / 2),
                               layout);
    }
    for (const KeypadLanguageRow& row : KeypadLanguageTable) {
        if (row.rowId != rowId) continue;
        WString text;
        for (int key = 0; key < 8; ++key) {
            if (key) text += L' ';
            text += row.keys[key];
        }
        return ParseKeypadText(text, text.GetLength(), layout);
    }
    return false;
}

bool ParseKeypadText(const wchar_t* text, int length, KeypadLayout& layout) {
    Clear(layout);
    WString label, letters;
    bool inLetters = false;
    auto endKey = [&] {
        if (!label.IsEmpty() && !letters.IsEmpty()) {
            layout.labels.Add(label);
            layout.letters.Add(letters);
        }
        label.Empty();
        letters.Empty();
        inLetters = false;
    };
    for (int i = 0; i < length; ++i) {
        const wchar_t c = text[i];
        if (!inLetters) {
            if (c == L'/' || c == L'\\' || c == 0)
                inLetters = true;
            else if (c != L' ')
                label += c;
        } else if (c == L' ' || c == 0) {
            endKey();
        } else if (!IsKeypadSeparator(c)) {
            letters += c;
        }
    }
    endKey();

    for (int i = 0; i < layout.labels.GetSize(); ++i) {
        const WString whole = layout.labels.GetAt(i);
        const wchar_t* caret = std::wcschr(whole, L'^');
        if (!caret) {
            layout.extraLabels.Add(WString());
            continue;
        }
        const WString extra = caret + 1;
        layout.extraLabels.Add(extra);
        if (!extra.IsEmpty()) layout.hasExtraLabels = 1;
        layout.labels.SetAt(i, whole.Left(static_cast<int>(caret - static_cast<const wchar_t*>(whole))));
    }
    return layout.labels.GetSize() > 0;
}

KeypadPattern SplitKeypadPattern(const wchar_t* pattern) {
    KeypadPattern sets;
    WString set;
    for (const wchar_t* p = pattern;; ++p) {
        if (*p == L'+' || *p == 0) {
            sets.Add(LowerCase(set));
            set.Empty();
            if (*p == 0) break;
        } else {
            set += *p;
        }
    }
    return sets;
}

Array<KeypadMatch> FindKeypadMatches(const wchar_t* name, const Array<WString>& patterns) {
    Array<KeypadPattern> split;
    for (int k = 0; k < patterns.GetSize(); ++k) split.Add(SplitKeypadPattern(patterns[k]));
    return FindKeypadMatches(name, split);
}

Array<KeypadMatch> FindKeypadMatches(const wchar_t* name, const Array<KeypadPattern>& patterns) {
    Array<KeypadMatch> matches;
    const WString lower = LowerCase(name);
    const int length = lower.GetLength();
    for (int k = 0; k < patterns.GetSize(); ++k) {
        const KeypadPattern& sets = patterns[k];
        const int n = sets.GetSize();
        for (int p = 0; p + n <= length; ++p) {
            if (p > 0 && !IsKeypadSeparator(static_cast<const wchar_t*>(lower)[p - 1])) continue;
            if (MatchesAt(lower, p, sets)) {
                matches.Add({p, p + n - 1});
                break;
            }
        }
    }
    return matches;
}
