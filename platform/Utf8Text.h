#pragma once
// UTF-8 conversions of the files the platform stand-ins write for people to read.
#include <string>
#include <string_view>

namespace platform {

// The UTF-8 form of text; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::wstring_view text);

// The UTF-16 form of bytes; false (text empty) when they are not valid UTF-8.
bool FromUtf8(std::string_view bytes, std::wstring& text);

} // namespace platform
