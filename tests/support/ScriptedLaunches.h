#pragma once
// Process launches answered by a test instead of starting programs.
#include "platform/ProcessLauncher.h"

#include <functional>
#include <vector>

namespace testing_support {

// Records every launch and answers with result, running action first.
class ScriptedLaunches {
public:
    explicit ScriptedLaunches(BOOL result, std::function<void()> action = {}) {
        platform::SetProcessLaunchScript([this, result, action](const platform::ProcessLaunch& launch) {
            launches.push_back(launch);
            if (action) action();
            return result;
        });
    }
    ~ScriptedLaunches() { platform::SetProcessLaunchScript({}); }
    ScriptedLaunches(const ScriptedLaunches&) = delete;
    ScriptedLaunches& operator=(const ScriptedLaunches&) = delete;
    std::vector<platform::ProcessLaunch> launches;
};

} // namespace testing_support
