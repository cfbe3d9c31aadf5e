#include "phonenumbers/CharClasses.h"

#include <cwchar>

namespace {

bool InClass(wchar_t c, const wchar_t* charClass) {
    return c != 0 && std::wcschr(charClass, c) != nullptr;
}

bool CopyFiltered(const wchar_t* source, wchar_t* buffer, const wchar_t* charClass, int bufferSize, bool keep,
                  bool emptySourceSucceeds) {
    if (!source || !buffer || !charClass || bufferSize < 1) return false;
    buffer[0] = 0;
    if (!*source) return emptySourceSucceeds;
    int length = 0;
    for (const wchar_t* c = source; *c; ++c) {
        if (InClass(*c, charClass) != keep) continue;
        if (length == bufferSize - 1) {
            buffer[0] = 0;
            return false;
        }
        buffer[length++] = *c;
    }
    buffer[length] = 0;
    return true;
}

} // namespace

int CountCharsOf(const wchar_t* text, const wchar_t* charClass) {
    if (!text || !charClass) return 0;
    int count = 0;
    for (const wchar_t* c = text; *c; ++c) count += InClass(*c, charClass);
    return count;
}

int FindFirstOf(int start, const wchar_t* text, const wchar_t* charClass) {
    if (!text || !charClass || start < 0) return -1;
    const size_t length = std::wcslen(text);
    for (size_t i = static_cast<size_t>(start); i < length; ++i)
        if (InClass(text[i], charClass)) return static_cast<int>(i);
    return -1;
}

int FindLastOf(const wchar_t* text, const wchar_t* charClass) {
    if (!text || !charClass) return -1;
    for (size_t i = std::wcslen(text); i > 0; --i)
        if (InClass(text[i - 1], charClass)) return static_cast<int>(i - 1);
    return -1;
}

bool CopyWithout(const wchar_t* source, wchar_t* buffer, const wchar_t* charClass, int bufferSize) {
    return CopyFiltered(source, buffer, charClass, bufferSize, false, false);
}

bool CopyOnly(const wchar_t* source, wchar_t* buffer, const wchar_t* charClass, int bufferSize) {
    return CopyFiltered(source, buffer, charClass, bufferSize, true, true);
}
