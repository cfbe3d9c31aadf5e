#pragma once
// What the on-screen keypad tells its owner: every change of the typed digit string.
#include "foundation/WString.h"

class KeypadListener {
public:
    KeypadListener() = default;
    KeypadListener(const KeypadListener&) = delete;
    KeypadListener& operator=(const KeypadListener&) = delete;
    virtual ~KeypadListener() = default;

    // digits: "2".."9" characters, possibly empty.
    virtual void OnDigitsChanged(const WString& digits) = 0;
};
