#include "foundation/WatchedSetting.h"

WatchedSetting::~WatchedSetting() {
    if (software_) RegCloseKey(software_);
    if (changed_) CloseHandle(changed_);
}

int WatchedSetting::Value() {
    if (current_ && WaitForSingleObject(changed_, 0) == WAIT_TIMEOUT) return value_;
    if (!changed_) changed_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!software_ &&
        RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_NOTIFY, &software_) != ERROR_SUCCESS)
        software_ = nullptr;
    // Watched again before it is read, so that a change made in between is not missed.
    current_ = changed_ && software_ &&
               RegNotifyChangeKeyValue(software_, TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                       changed_, TRUE) == ERROR_SUCCESS;
    value_ = settings::Read(setting_);
    return value_;
}
