#include "phonenumbers/PhoneTemplates.h"

#include "foundation/Settings.h"
#include "phonenumbers/CharClasses.h"

#include <algorithm>
#include <cwchar>
#include <utility>
#include <vector>

namespace {

constexpr const wchar_t* BuiltInTemplates[] = {L"##-##-##", L"###-##-##", L"# (###) ###-##-##",
                                               L"+# (###) ###-##-##"};

void Clear(PhoneTemplateSet& set) {
    set.Templates.RemoveAll();
    set.PlaceholderCounts.RemoveAll();
}

// The index a value name stands for: decimal without leading zeros and below limit; -1 otherwise.
int IndexOfName(const wchar_t* name, int limit) {
    if (!*name || (name[0] == L'0' && name[1])) return -1;
    long long index = 0;
    for (const wchar_t* c = name; *c; ++c) {
        if (*c < L'0' || *c > L'9') return -1;
        index = index * 10 + (*c - L'0');
        if (index >= limit) return -1;
    }
    return static_cast<int>(index);
}

// Names of the values of "Templates" that stand for an index below count, in index order. Equal to
// reading every index from 0 to count - 1, with the missing ones left out.
std::vector<std::pair<int, WString>> IndexedValueNames(int count) {
    std::vector<std::pair<int, WString>> names;
    HKEY key = OpenPimKey(settings::TemplatesKey, false);
    if (!key) return names;
    wchar_t name[16];
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(std::size(name));
        LONG result = RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA) continue; // a name too long to be an index
        if (result != ERROR_SUCCESS) break;
        if (int index = IndexOfName(name, count); index >= 0) names.emplace_back(index, WString(name));
    }
    RegCloseKey(key);
    std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return names;
}

} // namespace

void LoadDefaultTemplates(PhoneTemplateSet& set) {
    Clear(set);
    for (const wchar_t* text : BuiltInTemplates) set.Templates.Add(text);
    for (const wchar_t* text : BuiltInTemplates)
        set.PlaceholderCounts.Add(CountCharsOf(text, charclass::Placeholders));
}

void LoadTemplates(PhoneTemplateSet& set) {
    set.Enabled = 1;
    set.IgnoreHyphens = 1;
    Clear(set);
    const int count = settings::Read(settings::TemplateCount);
    if (count == -1) {
        LoadDefaultTemplates(set);
        return;
    }
    if (count < 1) return;
    for (const auto& [index, name] : IndexedValueNames(count)) {
        WString text = ReadString(settings::TemplatesKey, name);
        if (text.IsEmpty() || std::wcspbrk(text, L"[]{}<>")) continue;
        if (set.Templates.Add(text) < 0) continue;
        // Both lists keep one length even when the second one cannot grow.
        if (set.PlaceholderCounts.Add(CountCharsOf(text, charclass::Placeholders)) < 0)
            set.Templates.SetSize(set.Templates.GetSize() - 1);
    }
}
