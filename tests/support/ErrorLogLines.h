#pragma once
// What the program wrote to its error log while a test ran something.
#include "foundation/DataFiles.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testing_support {

// The lines the error log gained while action ran, without their "yyyy.MM.dd HH:mm:ss - " stamps.
template <class Action> std::vector<std::string> LinesLoggedBy(Action action) {
    const auto read = [] {
        std::ifstream file(ErrorLogPath(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    };
    const size_t before = read().size();
    action();
    const std::string after = read();
    const std::string added = after.size() > before ? after.substr(before) : std::string();
    constexpr size_t Stamp = 22;
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = added.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(end - start > Stamp ? added.substr(start + Stamp, end - start - Stamp)
                                            : std::string());
    return lines;
}

} // namespace testing_support
