#pragma once
// Dialling a number through the phone library, or handing a service code to the call-policy window,
// and starting the contact viewer.
#include <windows.h>

#include <memory>

// Places a call to number with the called party's name (null for none). Returns 0 for an empty
// number or a service code (ending in "#") that was handed over; -1 when the phone library or its call
// function is missing, or when a service code finds no call-policy window; otherwise what the phone
// library returned (it refuses a number longer than platform::MaxNumberLength). Starts the dialer first
// when its window is missing and waits up to about two seconds for it. A name longer than the phone's
// buffer is cut to it: it only labels the call. Every failure leaves one line in the error log.
LONG PlaceCall(const wchar_t* number, const wchar_t* name);

// Starts the program of the setting "ProgramPath" with commandLine ("v <object id in hex>"). Silent
// when the setting is empty or the start fails.
void OpenContactViewer(const wchar_t* commandLine);

// The block a service code is handed over in: 1, the text offset 20, twelve zero bytes, then the
// number as UTF-16 with its terminator, zero-padded to a multiple of 4 bytes. Null (size 0) when it
// cannot be allocated.
std::unique_ptr<BYTE[]> BuildServiceCodeBlock(const wchar_t* number, DWORD& size);

// When the setting "D2Hack" (default 1) is on, moves the keyboard hook's "SendKeyStamp" back by 2000
// ms. A missing key or value is skipped silently.
void MoveKeyStampBack();
