#pragma once
// UTF-16 and UTF-8, the two forms the store's texts take: file names and the program's texts are
// UTF-16, the cards keep UTF-8.
#include <string>
#include <string_view>

namespace contactstore {

std::string Utf8(std::wstring_view text);
std::wstring Wide(std::string_view utf8);

} // namespace contactstore
