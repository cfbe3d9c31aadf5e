#pragma once
// Readable WString values in test failure messages.
#include "foundation/WString.h"

#include <windows.h>

#include <ostream>
#include <string>

inline void PrintTo(const WString& value, std::ostream* out) {
    std::string utf8(WideCharToMultiByte(CP_UTF8, 0, value, value.GetLength(), nullptr, 0, nullptr, nullptr),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, value, value.GetLength(), utf8.data(), static_cast<int>(utf8.size()),
                        nullptr, nullptr);
    *out << "L\"" << utf8 << "\"";
}
