#include "skin/IniDocument.h"

#include "platform/FileMapping.h"

#include <cstdlib>

namespace {

bool IsIniSpace(unsigned c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// A range [begin, end) of the bytes being parsed.
struct Span {
    const unsigned char* begin;
    const unsigned char* end;

    Span Trimmed() const {
        Span s = *this;
        while (s.begin < s.end && IsIniSpace(*s.begin)) ++s.begin;
        while (s.end > s.begin && IsIniSpace(s.end[-1])) --s.end;
        return s;
    }
    bool Empty() const { return begin == end; }
    int Length() const { return static_cast<int>(end - begin); }

    WString ToString() const {
        WString text;
        if (Empty()) return text;
        wchar_t* buffer = text.GetBuffer(Length());
        if (!buffer) return text;
        for (int i = 0; i < Length(); ++i) buffer[i] = begin[i];
        text.ReleaseBuffer(Length());
        return text;
    }
};

bool IsLineEnd(unsigned char c) {
    return c == '\r' || c == '\n';
}

void AddPair(IniSection& section, Span line) {
    const unsigned char* equals = line.begin;
    while (equals < line.end && *equals != '=') ++equals;
    if (equals == line.end || equals == line.begin) return;
    const Span key = Span{line.begin, equals}.Trimmed();
    const Span value = Span{equals + 1, line.end}.Trimmed();
    if (key.Empty() || value.Empty()) return;
    section.keys.Add(key.ToString());
    section.values.Add(value.ToString());
}

// Closes what a mapping step opened, in reverse order of opening.
struct MappedFile {
    HANDLE file = INVALID_HANDLE_VALUE;
    HANDLE mapping = nullptr;
    const void* view = nullptr;

    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile() {
        if (view) UnmapViewOfFile(view);
        if (mapping) CloseHandle(mapping);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
};

} // namespace

bool LoadIniFile(IniDocument& document, const wchar_t* path) {
    MappedFile mapped;
    mapped.file = platform::CreateFileForMappingW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                  0, nullptr);
    if (mapped.file == INVALID_HANDLE_VALUE) return false;
    mapped.mapping = CreateFileMappingW(mapped.file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapped.mapping) return false;
    mapped.view = MapViewOfFile(mapped.mapping, FILE_MAP_READ, 0, 0, 0);
    if (!mapped.view) return false;
    const DWORD size = GetFileSize(mapped.file, nullptr);
    if (size != INVALID_FILE_SIZE) ParseIni(document, static_cast<const unsigned char*>(mapped.view), size);
    return true;
}

void ParseIni(IniDocument& document, const unsigned char* bytes, size_t length) {
    const unsigned char* at = bytes;
    const unsigned char* const end = bytes + length;
    // The section being read is filled here and appended when the next one starts, so that a long
    // section is not copied out of the document and back for every line.
    IniSection current;
    bool inSection = false;
    while (true) {
        while (at < end && IsLineEnd(*at)) ++at;
        if (at == end) break;
        Span line{at, at};
        while (line.end < end && !IsLineEnd(*line.end)) ++line.end;
        at = line.end;

        line = line.Trimmed();
        if (line.Empty() || *line.begin == ';') continue;
        if (*line.begin == '[' && line.end[-1] == ']' && line.Length() >= 2) {
            if (inSection) document.Sections.Add(current);
            current = IniSection();
            current.name = Span{line.begin + 1, line.end - 1}.ToString();
            inSection = true;
        } else if (inSection) {
            AddPair(current, line);
        }
    }
    if (inSection) document.Sections.Add(current);
}

IniSection GetSectionAt(const IniDocument& document, int index) {
    return document.Sections.GetAt(index);
}

WString GetIniValue(const IniDocument& document, int section, const wchar_t* key) {
    WString value;
    if (section < 0 || section >= document.Sections.GetSize() || !key) return value;
    const IniSection found = document.Sections.GetAt(section);
    for (int i = 0; i < found.keys.GetSize(); ++i) {
        if (found.keys.GetAt(i) == key) return found.values.GetAt(i);
    }
    return value;
}

int GetIniList(const IniDocument& document, int section, const wchar_t* key, Array<WString>& items) {
    items.RemoveAll();
    const WString value = GetIniValue(document, section, key);
    const wchar_t* at = value;
    while (*at) {
        const wchar_t* comma = at;
        while (*comma && *comma != L',') ++comma;
        const wchar_t* first = at;
        const wchar_t* last = comma;
        while (first < last && IsIniSpace(*first)) ++first;
        while (last > first && IsIniSpace(last[-1])) --last;
        if (first < last) {
            WString item;
            wchar_t* buffer = item.GetBuffer(static_cast<int>(last - first));
            if (buffer) {
                for (const wchar_t* c = first; c < last; ++c) *buffer++ = *c;
                item.ReleaseBuffer(static_cast<int>(last - first));
                items.Add(item);
            }
        }
        at = *comma ? comma + 1 : comma;
    }
    return items.GetSize();
}

bool GetIniColor(const IniDocument& document, int section, const wchar_t* key, COLORREF& colour) {
    Array<WString> items;
    if (GetIniList(document, section, key, items) < 3) return false;
    const auto byte = [&](int i) { return static_cast<COLORREF>(_wtol(items.GetAt(i)) & 0xFF); };
    colour = byte(0) | byte(1) << 8 | byte(2) << 16;
    return true;
}

bool GetIniFont(const IniDocument& document, int section, const wchar_t* key, int& size, WString& face,
                int& weight, int& italic, int* clearType) {
    Array<WString> items;
    const int count = GetIniList(document, section, key, items);
    if (count < 1) return false;
    size = _wtol(items.GetAt(0));
    if (count > 1) face = items.GetAt(1);
    if (count > 2) weight = _wtol(items.GetAt(2));
    if (count > 3) italic = _wtol(items.GetAt(3)) != 0;
    if (count > 4 && clearType) *clearType = _wtol(items.GetAt(4)) != 0;
    return true;
}
