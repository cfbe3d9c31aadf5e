#pragma once
// The dialer's call log as the search service reads it to rank contacts: how often and how lately each
// number was called.
//
// The log ("calls.log" among the program's data files, written by the dialer) is UTF-8 text, one line
// per call or service code, fields separated by tabs: local time "yyyy-MM-dd HH:mm:ss", the number as
// dialled, the called party and "call" or "service". Only "call" lines count; service codes and empty
// lines are passed over, and any other line (a field missing, a time that is no date, a number without
// digits) is skipped and counted as unusable.
//
// Each call weighs 2^(-age / HalfLifeDays): a call made now weighs 1, one a week old about 0.85, one a
// year old about 0.0002, so a contact called often lately ranks above one called as often long ago,
// and a few recent calls outweigh many old ones. Ages are counted back from the newest call rather
// than from the clock: the passing of time shrinks every weight by the same factor, so the order they
// give changes only when the log does, and a clock set back cannot give a call a weight above 1.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class CallHistory {
public:
    static constexpr double HalfLifeDays = 30;
    // A longer log is read from its last this many bytes: older calls weigh next to nothing.
    static constexpr uint64_t MaxBytes = 16u << 20;

    // The summed weight of the calls to one number, as its digits.
    struct NumberWeight {
        std::string Digits;
        double Weight = 0;
    };

    // Takes the calls of the log's text in place of the ones held; returns the count of unusable lines.
    int Parse(std::string_view text);
    // Reads the log at path again when its size or write time changed since the last read; a missing
    // log holds no calls. True when the calls may have changed. Unusable lines are reported in the
    // error log, one line per read.
    bool Refresh(const std::wstring& path);

    // Every number called, once each, with the summed weight of its calls.
    const std::vector<NumberWeight>& Weights() const { return weights_; }

private:
    std::vector<NumberWeight> weights_;
    bool read_ = false;
    ULONGLONG size_ = 0;
    FILETIME written_ = {};
};

} // namespace platform
