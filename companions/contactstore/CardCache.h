#pragma once
// The cache of parsed cards, kept beside the object ids ("contact-cache.bin" in
// %LOCALAPPDATA%\Orvanix\Dialvane), so that a start reads and parses only the files that changed since
// the last run: a synced address book of ten thousand one-card files is listed in one pass of the
// folder, and every file whose name, size and write time match its entry takes its cards from here.
//
// The file, little-endian:
//
// | bytes | what                                                                                    |
// |-------|-----------------------------------------------------------------------------------------|
// | 8     | "DVCCACHE"                                                                              |
// | 4     | CardCacheVersion of the writer                                                          |
// | 4     | 0                                                                                       |
// | 8     | length of what follows                                                                  |
// | 8     | checksum of what follows (CacheChecksum)                                                |
// | …     | the location (text), the count of files, then each file (below), sorted by name        |
//
// A file: its name (text), size, write time, the time it was read (8 bytes each), 1 byte: the text
// ended outside a card, its problem lines (a 4-byte count, then texts), its card bytes (4-byte length
// and the bytes) and its cards (4-byte count; 65 bytes each: UidKey, NameKey, Start, NotesLength,
// PhotoLength, the 18 short lengths, RawNotes). A text is a 4-byte count of UTF-16 units and the units.
//
// Nothing in it is trusted blindly: a cache that is missing, cut short, longer or shorter than its
// header says, damaged (checksum), from another version, for another location, or whose files are not
// in order or whose cards point outside their bytes is ignored as a whole, and the cards are read from
// the files afresh. An entry counts only for a file of the same name, size and write time that had
// been written more than WriteTimeMargin before it was read (a file written again within the file
// system's time resolution could otherwise look unchanged).
//
// Written whole into a temporary file beside it and renamed over it, so that a crash or a second
// process never leaves half a cache; readers open it sharing delete, so the rename never waits for them.
#include "companions/contactstore/ContactSnapshot.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace contactstore {

// Raised whenever the layout above or what the reader makes of a card changes (VcardReader.h).
constexpr uint32_t CardCacheVersion = 1;

// 2 s in FILETIME units: the coarsest write-time resolution of the file systems a folder may be on.
constexpr uint64_t WriteTimeMargin = 2 * 10'000'000ull;

using CachedFiles = std::vector<std::shared_ptr<const FileCards>>;

// The cache's bytes for the files of location (sorted by name).
std::string EncodeCardCache(const std::wstring& location, const CachedFiles& files);

// The files of a cache of location; false with the reason in why when the bytes are not one.
bool DecodeCardCache(std::string_view bytes, const std::wstring& location, CachedFiles& files,
                     std::wstring& why);

// Whether the entry may stand for the file as listed now (see above).
bool CacheEntryHolds(const FileCards& cached, const StoreFile& listed);

// Reads the cache at path: empty when there is none; with why set when there was one that could not
// be used.
CachedFiles ReadCardCache(const std::wstring& path, const std::wstring& location, std::wstring& why);

// Writes the cache at path (temporary file and rename); false with the system's error code in error.
bool WriteCardCache(const std::wstring& path, const std::wstring& location, const CachedFiles& files,
                    DWORD& error);

// The checksum of the cache's contents: 64 bits, eight bytes at a time.
uint64_t CacheChecksum(std::string_view bytes);

} // namespace contactstore
