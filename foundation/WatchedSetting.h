#pragma once
// A DWORD setting read once and read again only after the registry has changed, for settings that hot
// paths ask for again and again (the painter names every button by "SortType"). A change made by
// another program still counts at the next question: the registry signals every change under
// HKEY_CURRENT_USER\Software, so deleting and re-creating the setting's key is seen too.
#include "foundation/ScopedHandles.h"
#include "foundation/Settings.h"

#include <windows.h>

class WatchedSetting {
public:
    explicit WatchedSetting(const settings::Dword& setting) : setting_(setting) {}
    WatchedSetting(const WatchedSetting&) = delete;
    WatchedSetting& operator=(const WatchedSetting&) = delete;

    // The setting's value now. Where the registry cannot be watched, every call reads it.
    int Value();

private:
    const settings::Dword& setting_;
    ScopedRegKey software_;
    ScopedHandle changed_; // signalled by the registry at a change under software_
    bool current_ = false; // value_ holds what the registry holds
    int value_ = 0;
};
