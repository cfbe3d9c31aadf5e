#include "foundation/WString.h"

#include "foundation/ErrorLog.h"
#include "foundation/DataFiles.h"
#include "foundation/InternalFault.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <functional>

namespace {

struct BufferHeader {
    int32_t refs;
    int32_t length;
    int32_t size;
};

// The one buffer of every empty value: refs 100, length 0, 64 bytes, never freed.
struct EmptyBuffer {
    BufferHeader header;
    wchar_t text[26];
};
static_assert(sizeof(EmptyBuffer) == 64);
EmptyBuffer emptyBuffer = {{100, 0, 64}, {0}};

wchar_t* EmptyText() {
    return emptyBuffer.text;
}

BufferHeader* HeaderOf(const wchar_t* text) {
    return reinterpret_cast<BufferHeader*>(reinterpret_cast<char*>(const_cast<wchar_t*>(text)) -
                                           sizeof(BufferHeader));
}

// A new unshared buffer of count characters (contents not written); nullptr, logged, on failure.
wchar_t* Allocate(long long count) {
    long long bytes = (count + 7) * 2;
    void* memory = nullptr;
    if (count >= 0 && bytes <= INT_MAX) {
        constexpr int Buckets[] = {64, 128, 256, 512};
        for (int bucket : Buckets) {
            if (bytes < bucket) {
                bytes = bucket;
                break;
            }
        }
        memory = std::malloc(static_cast<size_t>(bytes));
    }
    if (!memory) {
        LogLine(ErrorLogPath(), L"Memory allocation failed", L".\\Str", L"", 23);
        return nullptr;
    }
    auto* header = static_cast<BufferHeader*>(memory);
    *header = {1, static_cast<int32_t>(count), static_cast<int32_t>(bytes)};
    return reinterpret_cast<wchar_t*>(header + 1);
}

void AddRef(wchar_t* text) {
    if (text != EmptyText()) ++HeaderOf(text)->refs;
}

void Release(wchar_t* text) {
    if (text == EmptyText()) return;
    BufferHeader* header = HeaderOf(text);
    if (--header->refs <= 0) std::free(header);
}

bool IsBlank(wchar_t c) {
    return iswctype(c, _SPACE);
}

// Reads a decimal width or precision, capped so that later sums cannot overflow.
long long ReadNumber(const wchar_t*& p) {
    long long value = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p) value = std::min(value * 10 + (*p - L'0'), 0x3FFFFFFFLL);
    return value;
}

// An upper bound of the characters that formatting produces. The walk consumes the arguments in
// step with the runtime's printf.
long long EstimateLength(const wchar_t* p, va_list args) {
    long long total = 0;
    for (; *p; ++p) {
        if (*p != L'%') {
            total += 2;
            continue;
        }
        ++p;
        if (*p == L'%') {
            total += 2;
            continue;
        }

        long long width = 0;
        for (; *p; ++p) {
            if (*p == L'#')
                total += 2;
            else if (*p == L'*')
                width = std::abs(static_cast<long long>(va_arg(args, int)));
            else if (*p != L'-' && *p != L'+' && *p != L'0' && *p != L' ')
                break;
        }
        if (width == 0) width = ReadNumber(p);
        long long precision = 0;
        if (*p == L'.') {
            ++p;
            if (*p == L'*') {
                precision = std::max(0, va_arg(args, int));
                ++p;
            } else {
                precision = ReadNumber(p);
            }
        }

        enum class Prefix { None, Narrow, Wide, Int64 } prefix = Prefix::None;
        if (std::wcsncmp(p, L"I64", 3) == 0) {
            prefix = Prefix::Int64;
            p += 3;
        } else if (*p == L'h') {
            prefix = Prefix::Narrow;
            ++p;
        } else if (*p == L'l') {
            prefix = Prefix::Wide;
            ++p;
        } else if (*p == L'F' || *p == L'L' || *p == L'N') {
            ++p;
        }

        long long item = 0;
        bool textual = false;
        switch (*p) {
        case L'c':
        case L'C':
            va_arg(args, int);
            item = 2;
            textual = true;
            break;
        case L's':
        case L'S':
            if (prefix == Prefix::Narrow || (prefix != Prefix::Wide && *p == L'S')) {
                const char* text = va_arg(args, const char*);
                item = text ? std::max<long long>(1, std::strlen(text)) : 6;
            } else {
                const wchar_t* text = va_arg(args, const wchar_t*);
                item = text ? std::max<long long>(1, std::wcslen(text)) : 6;
            }
            textual = true;
            break;
        case L'd':
        case L'i':
        case L'u':
        case L'x':
        case L'X':
        case L'o':
            if (prefix == Prefix::Int64)
                va_arg(args, long long);
            else
                va_arg(args, int);
            item = std::max(32LL, width + precision);
            break;
        case L'p':
            va_arg(args, void*);
            item = std::max(32LL, width + precision);
            break;
        case L'e':
        case L'E':
        case L'g':
        case L'G':
            va_arg(args, double);
            item = std::max(128LL, width + precision);
            break;
        case L'f':
            item = std::max(0, _scwprintf(L"%*.*f", static_cast<int>(width), static_cast<int>(precision) + 6,
                                          va_arg(args, double)));
            break;
        case L'n':
            va_arg(args, int*);
            break;
        default:
            break;
        }
        if (textual) {
            if (precision != 0) item = std::min(item, precision);
            item = std::max(item, width);
        }
        total += item;
        if (!*p) break;
    }
    return total;
}

} // namespace

WString::WString() : text_(EmptyText()) {}

WString::WString(const wchar_t* text) : text_(EmptyText()) {
    if (text) Assign(text, std::wcslen(text));
}

WString::WString(const wchar_t* text, size_t count) : text_(EmptyText()) {
    Assign(text, count);
}

WString::WString(const WString& other) : text_(other.text_) {
    AddRef(text_);
}

WString::~WString() {
    Release(text_);
}

WString& WString::operator=(const WString& other) {
    if (text_ != other.text_) {
        AddRef(other.text_);
        Release(text_);
        text_ = other.text_;
    }
    return *this;
}

WString& WString::operator=(const wchar_t* text) {
    if (text == text_) return *this;
    if (!text || !*text)
        Empty();
    else
        Assign(text, std::wcslen(text));
    return *this;
}

bool WString::operator==(const WString& other) const {
    if (text_ == other.text_) return true;
    int length = GetLength();
    return length == other.GetLength() && std::wmemcmp(text_, other.text_, length) == 0;
}

bool WString::operator==(const wchar_t* text) const {
    if (!text) return IsEmpty();
    size_t length = std::wcslen(text);
    return length == static_cast<size_t>(GetLength()) && std::wmemcmp(text_, text, length) == 0;
}

int WString::GetLength() const {
    return HeaderOf(text_)->length;
}

int WString::RefCount() const {
    return HeaderOf(text_)->refs;
}

int WString::BufferSize() const {
    return HeaderOf(text_)->size;
}

int WString::Capacity() const {
    return BufferSize() / 2 - 7;
}

void WString::Empty() {
    if (GetLength() == 0) return;
    Release(text_);
    text_ = EmptyText();
}

bool WString::MakeRoom(long long k) {
    BufferHeader* header = HeaderOf(text_);
    if (text_ != EmptyText() && header->refs == 1 && header->size >= (header->length + k + 7) * 2) {
        header->length += static_cast<int32_t>(k);
        return true;
    }
    wchar_t* fresh = Allocate(header->length + k);
    if (!fresh) return false;
    std::wmemcpy(fresh, text_, header->length + 1);
    Release(text_);
    text_ = fresh;
    return true;
}

void WString::Assign(const wchar_t* text, size_t count) {
    if (count == 0) {
        Empty();
        return;
    }
    wchar_t* fresh = Allocate(static_cast<long long>(count));
    if (!fresh) return;
    std::wmemcpy(fresh, text, count);
    fresh[count] = 0;
    Release(text_);
    text_ = fresh;
}

void WString::Append(const wchar_t* text, size_t count) {
    if (count == 0) return;
    // Text taken from this value's own buffer must outlive a reallocation.
    WString keep;
    if (std::less_equal<const wchar_t*>()(text_, text) &&
        std::less<const wchar_t*>()(text, text_ + GetLength()))
        keep = *this;
    int oldLength = GetLength();
    if (!MakeRoom(static_cast<long long>(count))) return;
    std::wmemcpy(text_ + oldLength, text, count);
    text_[oldLength + count] = 0;
}

WString& WString::operator+=(const WString& other) {
    Append(other.text_, other.GetLength());
    return *this;
}

WString& WString::operator+=(const wchar_t* text) {
    if (text) Append(text, std::wcslen(text));
    return *this;
}

WString& WString::operator+=(wchar_t c) {
    Append(&c, 1);
    return *this;
}

WString WString::Left(int n) const {
    n = std::max(n, 0);
    if (n >= GetLength()) return *this;
    return WString(text_, n);
}

WString WString::Right(int n) const {
    n = std::max(n, 0);
    int length = GetLength();
    if (n >= length) return *this;
    return WString(text_ + length - n, n);
}

void WString::TrimLeft() {
    int length = GetLength();
    int skip = 0;
    while (skip < length && IsBlank(text_[skip])) ++skip;
    if (skip == 0) return;
    if (skip == length) {
        Empty();
        return;
    }
    if (!MakeRoom(0)) return;
    std::wmemmove(text_, text_ + skip, length - skip + 1);
    HeaderOf(text_)->length = length - skip;
}

void WString::TrimRight() {
    int length = GetLength();
    int end = length;
    while (end > 0 && IsBlank(text_[end - 1])) --end;
    if (end == length) return;
    if (end == 0) {
        Empty();
        return;
    }
    if (!MakeRoom(0)) return;
    text_[end] = 0;
    HeaderOf(text_)->length = end;
}

wchar_t* WString::GetBuffer(int n) {
    BufferHeader* header = HeaderOf(text_);
    long long room = std::max(n, header->length);
    if (text_ != EmptyText() && header->refs == 1 && header->size >= (room + 7) * 2) return text_;
    wchar_t* fresh = Allocate(room);
    if (!fresh) return nullptr;
    std::wmemcpy(fresh, text_, header->length + 1);
    Release(text_);
    text_ = fresh;
    return text_;
}

void WString::ReleaseBuffer(int n) {
    if (!MakeRoom(0)) return;
    int capacity = Capacity();
    if (n < 0) n = static_cast<int>(wcsnlen(text_, capacity));
    n = std::min(n, capacity);
    text_[n] = 0;
    HeaderOf(text_)->length = n;
}

void WString::Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void WString::FormatV(const wchar_t* format, va_list args) {
    if (!format || !*format) {
        Empty();
        return;
    }
    va_list walk;
    va_copy(walk, args);
    long long estimate = EstimateLength(format, walk);
    va_end(walk);

    WString result;
    wchar_t* out = result.GetBuffer(static_cast<int>(std::min<long long>(estimate, INT_MAX)));
    if (!out) return;
    // Bounded by the buffer: an estimate that falls short can only cut the text.
    int capacity = result.Capacity();
    _vsnwprintf(out, capacity, format, args);
    out[capacity] = 0;
    result.ReleaseBuffer();
    *this = result;
}

bool WString::LoadString(UINT id) {
    constexpr int LocalCapacity = 256;
    wchar_t local[LocalCapacity];
    int count = SafeLoadStr(id, nullptr, local, LocalCapacity);
    if (LocalCapacity - count >= 2) {
        *this = local;
        return count > 0;
    }
    // The text may have been cut: load again into ever larger buffers until it fits.
    WString loaded;
    for (int capacity = 2 * LocalCapacity;; capacity += LocalCapacity) {
        wchar_t* buffer = loaded.GetBuffer(capacity - 1);
        if (!buffer) return false;
        count = SafeLoadStr(id, nullptr, buffer, capacity);
        if (capacity - count >= 2) break;
    }
    loaded.ReleaseBuffer(count);
    *this = loaded;
    return count > 0;
}

int SafeLoadStr(UINT id, HINSTANCE module, wchar_t* buffer, int capacity) {
    static const HINSTANCE ownModule = GetModuleHandleW(nullptr);
    if (!module) module = ownModule;
    int count = LoadStringW(module, id, buffer, capacity);
    if (count != 0) return count;

    if (buffer && capacity > 0) buffer[0] = 0;
    WString text;
    text.Format(L"Resource loading fail (id: %d hInst: %x)", id,
                static_cast<unsigned>(reinterpret_cast<UINT_PTR>(module)));
    LogLine(ErrorLogPath(), text, L".\\Str", L"", 174);
    text.Format(L"SafeLoadStr failed, resid: %d", id);
    ShowInternalFault(text);
    return 0;
}
