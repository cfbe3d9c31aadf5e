#pragma once
// The text-message transport's road out of the desktop: a program of the user's that sends one text
// message, through a paired phone or a modem. Off unless configured.
//
// HKEY_CURRENT_USER\Software\Orvanix\Messaging:
// - "GatewayCommand": the program and its arguments. REG_MULTI_SZ: one string per argument, the first
//   the program; REG_SZ: the program alone. In every argument "{number}" becomes the recipient's
//   number and "{text}" the message text; when no argument holds either, the number and the text are
//   added as the last two arguments.
// - "GatewayTimeout": REG_DWORD, seconds the program may take (default 30, at most 3600).
//
// The program is started directly, never through a command interpreter: every argument reaches it
// as one argument, whatever quotes, percent signs, semicolons or line breaks it holds. Batch files
// (.bat, .cmd) are refused, since the command interpreter would read the text as commands. A
// program given without a folder is looked for beside the running program and on the PATH.
//
// Exit status 0 means sent; any other status, a start failure or a program that runs longer than
// the timeout (it is then stopped) means failed, with a note saying why and the first line of what
// the program printed.
//
// Under Wine a Unix program (a path such as /usr/bin/tool or Z:\usr\bin\tool) is started through
// "sms-gateway-bridge" beside the running program, a small Python 3 script: Wine gives a Windows
// program no handle on a Unix process, so the bridge runs the command, enforces the timeout and
// writes the outcome into a status file that the transport waits for.
#include <string>
#include <vector>

namespace platform {

struct GatewayOutcome {
    bool Configured = false; // false: no command is set, nothing was run
    bool Sent = false;
    std::wstring Note; // for people: what happened
};

// Runs the configured command once for number and text; blocks until it ends or times out.
GatewayOutcome RunSmsGateway(const std::wstring& number, const std::wstring& text);

// The configured command, one string per argument; empty when none is set.
std::vector<std::wstring> ReadGatewayCommand();

// The arguments after the program with the placeholders filled in (see above); the number and the
// text are never searched for placeholders themselves.
std::vector<std::wstring> GatewayArguments(const std::vector<std::wstring>& command,
                                           const std::wstring& number, const std::wstring& text);

// A command line that the runtime's argument parser (and CommandLineToArgvW) splits back into exactly
// these arguments; the first is the program, quoted unless it needs no quotes.
std::wstring JoinCommandLine(const std::vector<std::wstring>& arguments);

inline constexpr wchar_t GatewayBridgeName[] = L"sms-gateway-bridge";

} // namespace platform
