#include "companions/pimservice/CallHistory.h"

#include "foundation/ErrorLog.h"
#include "foundation/ScopedHandles.h"
#include "foundation/WString.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace platform {

namespace {

constexpr std::string_view CallKind = "call";
constexpr std::string_view ServiceKind = "service";
constexpr double TicksPerDay = 864e9; // of a FILETIME, 100 ns each

// Up to count digits at text[at...] as a number; -1 when any is not a digit.
int Digits(std::string_view text, size_t at, size_t count) {
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// "yyyy-MM-dd HH:mm:ss" in days since 1601; negative when it is no valid time.
double Days(std::string_view stamp) {
    constexpr std::string_view Shape = "dddd-dd-dd dd:dd:dd";
    if (stamp.size() != Shape.size()) return -1;
    for (size_t i = 0; i < Shape.size(); ++i)
        if (Shape[i] != 'd' && stamp[i] != Shape[i]) return -1;
    const int parts[] = {Digits(stamp, 0, 4),  Digits(stamp, 5, 2),  Digits(stamp, 8, 2),
                         Digits(stamp, 11, 2), Digits(stamp, 14, 2), Digits(stamp, 17, 2)};
    if (std::any_of(std::begin(parts), std::end(parts), [](int part) { return part < 0; })) return -1;
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(parts[0]);
    time.wMonth = static_cast<WORD>(parts[1]);
    time.wDay = static_cast<WORD>(parts[2]);
    time.wHour = static_cast<WORD>(parts[3]);
    time.wMinute = static_cast<WORD>(parts[4]);
    time.wSecond = static_cast<WORD>(parts[5]);
    FILETIME file;
    // Refuses month 13, 30 February, hour 24 and the like.
    if (!SystemTimeToFileTime(&time, &file)) return -1;
    return static_cast<double>(ULARGE_INTEGER{{file.dwLowDateTime, file.dwHighDateTime}}.QuadPart) /
           TicksPerDay;
}

// The next tab-separated field of line, taken off its front.
std::string_view NextField(std::string_view& line) {
    const size_t tab = line.find('\t');
    const std::string_view field = line.substr(0, tab);
    line = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
    return field;
}

} // namespace

int CallHistory::Parse(std::string_view text) {
    struct Call {
        double Days;
        std::string Digits;
    };
    std::vector<Call> calls;
    int unusable = 0;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        const std::string_view stamp = NextField(line), number = NextField(line);
        NextField(line); // the called party
        const std::string_view kind = NextField(line);
        if (kind == ServiceKind && line.empty()) continue;
        Call call{Days(stamp), {}};
        for (char c : number)
            if (c >= '0' && c <= '9') call.Digits += c;
        if (kind != CallKind || !line.empty() || call.Days < 0 || call.Digits.empty()) {
            ++unusable;
            continue;
        }
        calls.push_back(std::move(call));
    }

    double newest = 0;
    for (const Call& call : calls) newest = std::max(newest, call.Days);
    std::unordered_map<std::string, size_t> slots; // of weights_
    weights_.clear();
    for (Call& call : calls) {
        const double weight = std::exp2(-(newest - call.Days) / HalfLifeDays);
        const auto [slot, added] = slots.try_emplace(call.Digits, weights_.size());
        if (added) weights_.push_back({std::move(call.Digits), 0});
        weights_[slot->second].Weight += weight;
    }
    return unusable;
}

bool CallHistory::Refresh(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes)) {
        const bool changed = !read_ || !weights_.empty();
        weights_.clear();
        read_ = true;
        size_ = 0;
        written_ = {};
        return changed;
    }
    const ULONGLONG size = ULARGE_INTEGER{{attributes.nFileSizeLow, attributes.nFileSizeHigh}}.QuadPart;
    if (read_ && size == size_ && CompareFileTime(&attributes.ftLastWriteTime, &written_) == 0) return false;

    ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string text;
    if (file) {
        const ULONGLONG skipped = size > MaxBytes ? size - MaxBytes : 0;
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(skipped);
        text.resize(static_cast<size_t>(size - skipped));
        DWORD got = 0;
        if (!SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) ||
            !ReadFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &got, nullptr))
            got = 0;
        text.resize(got);
        // A cut log starts inside a line: that line is dropped whole.
        if (skipped) text.erase(0, std::min(text.size(), text.find('\n') + 1));
    }
    read_ = true;
    size_ = size;
    written_ = attributes.ftLastWriteTime;
    const int unusable = Parse(text);
    ProblemReport report(L"call log", L"CallHistory::Refresh");
    if (!file) {
        WString what;
        what.Format(L"%s cannot be read: contacts are not ranked by calls", path.c_str());
        report.Add(what);
    } else if (unusable) {
        WString what;
        what.Format(L"%d lines of %s are no calls as the dialer writes them: skipped", unusable,
                    path.c_str());
        report.Add(what);
    }
    return true;
}

} // namespace platform
