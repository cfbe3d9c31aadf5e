#include "phonenumbers/PhoneFormat.h"

#include "phonenumbers/CharClasses.h"

#include <cwchar>

namespace {

bool InClass(wchar_t c, const wchar_t* charClass) {
    return c != 0 && std::wcschr(charClass, c) != nullptr;
}

// The characters of text from index start on.
WString From(const WString& text, int start) {
    return text.Right(text.GetLength() - start);
}

// The characters of text without those of charClass; not bounded by the working buffers.
WString Without(const wchar_t* text, const wchar_t* charClass) {
    WString result;
    for (const wchar_t* c = text; *c; ++c)
        if (!InClass(*c, charClass)) result += *c;
    return result;
}

bool DiffersIgnoringCase(const wchar_t* a, const wchar_t* b) {
    return _wcsicmp(a, b) != 0;
}

bool Contains(const WString& text, const WString& part) {
    return std::wcsstr(text, part) != nullptr;
}

// The parts of a number or template around its digit positions.
struct Parts {
    WString headRest, openerGroup, core, closerGroup, tailRest;
};

Parts Split(const WString& text, const wchar_t* positions) {
    Parts parts;
    WString head, tail;
    SplitDigitRun(text, positions, head, parts.core, tail);
    SplitOpenerGroup(head, parts.headRest, parts.openerGroup);
    SplitCloserGroup(tail, parts.closerGroup, parts.tailRest);
    return parts;
}

// The number core with every character of charClass removed; like the device, a copy that fails
// (an overlong core) leaves an empty core that matches nothing.
WString CoreWithout(const WString& core, const wchar_t* charClass) {
    wchar_t buffer[NumberBufferSize];
    CopyWithout(core, buffer, charClass, NumberBufferSize);
    return buffer;
}

// Lays digits into the template core; false when the digit count fits neither its "#" count nor its
// placeholder count, or the result would not fit the working buffer.
bool LayDigits(const WString& templateCore, const wchar_t* digits, WString& result) {
    const int digitCount = static_cast<int>(std::wcslen(digits));
    const wchar_t* takers;
    if (digitCount == CountCharsOf(templateCore, L"#"))
        takers = L"#";
    else if (digitCount == CountCharsOf(templateCore, charclass::Placeholders))
        takers = charclass::Placeholders;
    else
        return false;
    if (templateCore.GetLength() >= NumberBufferSize) return false;
    wchar_t buffer[NumberBufferSize];
    int next = 0;
    int length = 0;
    for (const wchar_t* c = templateCore; *c; ++c)
        buffer[length++] = InClass(*c, takers) ? digits[next++] : *c;
    buffer[length] = 0;
    result = buffer;
    return true;
}

bool HasFixedDigit(const WString& text) {
    return CountCharsOf(text, charclass::Digits) > 0;
}

} // namespace

void SplitDigitRun(const WString& text, const wchar_t* charClass, WString& head, WString& core,
                   WString& tail) {
    const int first = FindFirstOf(0, text, charClass);
    const int last = FindLastOf(text, charClass);
    head = WString();
    core = text;
    tail = WString();
    if (first != -1) {
        head = text.Left(first);
        core = From(text, first);
    }
    if (last != -1) {
        tail = From(text, last + 1);
        core = core.Left(core.GetLength() - tail.GetLength());
    }
}

void SplitOpenerGroup(const WString& head, WString& headRest, WString& openerGroup) {
    const int length = head.GetLength();
    if (length == 0 || !InClass(head[length - 1], charclass::PrefixEnds)) {
        headRest = head;
        openerGroup = WString();
        return;
    }
    int k = length - 1;
    while (k >= 1 && InClass(head[k - 1], charclass::Openers)) --k;
    // The parts are taken before either output is written: head may be one of them.
    WString rest = head.Left(k);
    openerGroup = From(head, k);
    headRest = rest;
}

void SplitCloserGroup(const WString& tail, WString& closerGroup, WString& tailRest) {
    int run = 0;
    if (!tail.IsEmpty() && tail[0] != L' ')
        while (InClass(tail[run], charclass::Closers)) ++run;
    WString rest = From(tail, run);
    closerGroup = tail.Left(run);
    tailRest = rest;
}

bool MatchTemplateCore(const WString& templateCore, const WString& numberCore) {
    if (templateCore.IsEmpty() || numberCore.IsEmpty()) return false;
    if (CountCharsOf(numberCore, charclass::Separators) != 0) return false;
    int i = FindFirstOf(0, templateCore, charclass::Placeholders);
    int j = FindFirstOf(0, numberCore, charclass::Digits);
    while (i != -1 && j != -1) {
        if (templateCore[i] != L'#' && templateCore[i] != numberCore[j]) return false;
        i = FindFirstOf(i + 1, templateCore, charclass::Placeholders);
        j = FindFirstOf(j + 1, numberCore, charclass::Digits);
    }
    if (i != -1 || j != -1) return false;
    WString literals = Without(Without(templateCore, charclass::Placeholders), charclass::Separators);
    return !DiffersIgnoringCase(literals, Without(numberCore, charclass::Digits));
}

bool FormatPhoneNumber(const PhoneTemplateSet* set, WString& number) {
    if (!set || !set->Enabled || set->Templates.GetSize() == 0 || number.IsEmpty()) return false;
    if (CountCharsOf(number, charclass::DialControl) != 0) return false;
    const int digitCount = CountCharsOf(number, charclass::Digits);
    if (digitCount == 0) return false;

    Parts own = Split(number, charclass::Digits);
    if (set->IgnoreHyphens) own.core = CoreWithout(own.core, L"-");
    own.core = CoreWithout(own.core, L" ");

    wchar_t digitBuffer[NumberBufferSize];
    WString digits = CopyOnly(own.core, digitBuffer, charclass::Digits, NumberBufferSize)
                         ? WString(digitBuffer)
                         : own.core;
    const int count = set->Templates.GetSize();
    for (int pass = 1; pass <= 2; ++pass) {
        for (int t = 0; t < count; ++t) {
            if (set->PlaceholderCounts.GetAt(t) != digitCount) continue;
            const WString pattern = set->Templates.GetAt(t);
            if (pass == 1 && !HasFixedDigit(pattern)) continue;

            const Parts shape = Split(pattern, charclass::Placeholders);
            if (!own.openerGroup.IsEmpty() &&
                (shape.openerGroup.IsEmpty() || !Contains(shape.openerGroup, own.openerGroup)))
                continue;
            if (!own.closerGroup.IsEmpty() &&
                (shape.closerGroup.IsEmpty() || !Contains(shape.closerGroup, own.closerGroup)))
                continue;
            if (!MatchTemplateCore(shape.core, own.core)) continue;
            WString laid;
            if (!LayDigits(shape.core, digits, laid)) continue;

            WString result;
            if (!shape.headRest.IsEmpty() && DiffersIgnoringCase(shape.headRest, own.headRest)) {
                result += shape.headRest;
                result += L' ';
            }
            result += own.headRest;
            result += own.openerGroup.IsEmpty() ? shape.openerGroup : own.openerGroup;
            result += laid;
            result += own.closerGroup.IsEmpty() ? shape.closerGroup : own.closerGroup;
            result += own.tailRest;
            if (!shape.tailRest.IsEmpty() && DiffersIgnoringCase(shape.tailRest, own.tailRest)) {
                result += L' ';
                result += shape.tailRest;
            }
            number = result;
            return true;
        }
    }
    return false;
}
