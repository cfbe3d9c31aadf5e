#include "foundation/WatchedSetting.h"

int WatchedSetting::Value() {
    if (current_ && WaitForSingleObject(changed_.Get(), 0) == WAIT_TIMEOUT) return value_;
    if (!changed_) changed_.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!software_) RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_NOTIFY, software_.Receive());
    // Watched again before it is read, so that a change made in between is not missed.
    current_ =
        changed_ && software_ &&
        RegNotifyChangeKeyValue(software_.Get(), TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                changed_.Get(), TRUE) == ERROR_SUCCESS;
    value_ = settings::Read(setting_);
    return value_;
}
