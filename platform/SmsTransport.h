#pragma once
// The desktop's text-message transport: what happens to a message once it is submitted.
//
// A message submitted to the store gets PR_CLIENT_SUBMIT_TIME. Then:
// - without a gateway command (SmsGateway.h; the default) it is sent at once, in the submitting
//   process: it is kept on this computer, and goes to "Sent Items";
// - with one it is queued in "Outbox" (State: queued) and the transport service is woken: the
//   program "tmail.exe -service", which the message-store road of the program starts before every
//   submission, runs the gateway command for each queued message, one at a time, each recipient in
//   turn.
// Sending marks a message "sending" first. When it went out it is marked "sent", MSGFLAG_UNSENT is
// cleared from PR_MESSAGE_FLAGS, PR_MESSAGE_DELIVERY_TIME is set to the time of sending, and it moves
// to "Sent Items". When it did not, it stays in "Outbox" marked "failed" with a note saying why, and
// the failure is written to the error log; it is never retried on its own (a message that timed out
// may have gone out), only when the user sends it again from the messaging program.
//
// Every change is written to the message's file before the next step, and a file moves between
// folders only after it says "sent", so a crash at any point neither loses a message nor sends it
// twice: the service, when it starts, marks a message left "sending" as failed and moves a "sent"
// one left in "Outbox" on to "Sent Items".
#include "platform/MessageFile.h"

#include <windows.h>

#include <string>

namespace platform {

inline constexpr wchar_t TransportProgram[] = L"tmail.exe";
inline constexpr wchar_t TransportServiceArgument[] = L"-service";
// Signalled when a message is queued; the service waits for it.
inline constexpr wchar_t TransportWakeEventName[] = L"Local\\OrvanixSmsTransportWake";
// Held by the one running service.
inline constexpr wchar_t TransportServiceMutexName[] = L"Local\\OrvanixSmsTransportService";

// Submits the message of the file at path (in a folder of the store folder store) as above; path
// follows the file when it moves. S_OK, or a failure code when a file could not be written (the
// message then stays as it was).
HRESULT SubmitToTransport(const std::wstring& store, std::wstring& path, StoredMessage& message);

// One pass of the service over the Outbox of the store "SMS": with recover, first finishes what a
// stopped service left behind; then sends every queued message.
void RunTransportQueue(bool recover);

// A text message as the messaging programs make one: the text in PR_SUBJECT, an empty
// PR_SENDER_EMAIL_ADDRESS, PR_MSG_STATUS MSGSTATUS_TEXT_MESSAGE, PR_MESSAGE_FLAGS read, unsent and
// from me, "SMS:Unicode" TRUE, and one recipient of type SMS with the number.
StoredMessage NewTextMessage(const std::wstring& number, const std::wstring& text);

// Creates a text message in the Outbox of the store "SMS" and submits it (the composer's Send); S_OK
// or a failure code.
HRESULT SubmitTextMessage(const std::wstring& number, const std::wstring& text);

// Keeps a text message that could not be sent in the Outbox of the store "SMS", marked failed with
// note, with the properties and the recipient a submitted message has; false when it cannot be
// written.
bool KeepFailedMessage(const std::wstring& number, const std::wstring& text, const std::wstring& note);

// Queues a failed message again (the user sends it once more) and wakes the service; false when it
// is not a failed message or cannot be written.
bool SendAgain(const std::wstring& path);

// Wakes the service, if one is running.
void WakeTransport();

} // namespace platform
