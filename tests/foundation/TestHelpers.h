#pragma once
// Shared pieces of the foundation tests.
#include "foundation/WString.h"
#include "support/WStringPrinter.h"
#include "foundation/DataFiles.h"
#include "foundation/InternalFault.h"
#include "platform/ModalHost.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

// Answers every message box with OK while it lives and keeps what each one showed.
class ScriptedBoxes {
public:
    ScriptedBoxes() {
        SetInternalFaultBox(platform::MessageBoxW);
        platform::SetMessageBoxScript([this](const platform::ModalRecord& record) {
            shown.push_back(record);
            return IDOK;
        });
    }
    ~ScriptedBoxes() { platform::SetMessageBoxScript({}); }
    ScriptedBoxes(const ScriptedBoxes&) = delete;
    ScriptedBoxes& operator=(const ScriptedBoxes&) = delete;

    std::vector<platform::ModalRecord> shown;
};

// The bytes of a file; empty when it cannot be read.
inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// What the program's error log gained while action ran.
template <class Action> std::string LoggedBy(Action action) {
    size_t before = ReadBytes(ErrorLogPath()).size();
    action();
    std::string after = ReadBytes(ErrorLogPath());
    return after.size() > before ? after.substr(before) : std::string();
}

// A log line without its "yyyy.MM.dd HH:mm:ss - " stamp.
inline std::string WithoutStamp(const std::string& line) {
    return line.size() < 22 ? line : line.substr(22);
}
