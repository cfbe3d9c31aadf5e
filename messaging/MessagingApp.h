#pragma once
// Handing a new text message to a messaging program for free composition: the user's own (settings
// "SmsApp" and "SmsParam") or the platform's inbox program.
#include "foundation/WString.h"

// Starts a messaging program composing a message to number, addressed with name. With "SmsApp" set
// and "SmsParam" holding "%p", starts SmsApp with SmsParam, its first "%p" replaced by the number's
// characters of "+1234567890" and then its first "%n" by the name without ",;[]{}<>:". Otherwise,
// or when that start fails, starts the inbox program with
//     -service "SMS" -To "<name><<number>>"    (or -To "<number>" without a name)
// and, when that start fails too, "pmail.exe" with the same command line. Silent throughout.
void OpenMessagingApp(const wchar_t* number, const wchar_t* name);

// The inbox program's command, value "1" of HKEY_LOCAL_MACHINE\Software\Microsoft\Shell\Rai\:MSINBOX,
// with every quotation mark dropped; "tmail.exe" when it is empty or missing.
WString GetInboxAppPath();
