#pragma once
// What a picture's first bytes say before any decoder sees it: its format, its size and the memory a
// decoder takes to hold it. The platform's decoders hold a whole picture at once, so a picture too
// large for the memory it may use is refused on its header alone, before a byte of it is decoded.
#include <cstddef>
#include <cstdint>

namespace platform {

enum class PictureFormat { Unknown, Jpeg, Png, Gif, Bmp };

struct PictureHeader {
    PictureFormat Format = PictureFormat::Unknown;
    // The picture's size; 0 x 0 when its format is known but its header is damaged or cut short.
    uint32_t Width = 0;
    uint32_t Height = 0;
    // Pixels of every frame (a GIF may hold several, each as large as it likes).
    uint64_t Pixels = 0;
    // What a decoder holds while decoding it: every pixel at the depth it decodes to, with the
    // coefficients of a progressive JPEG and the expansion of palettes and grey with transparency.
    uint64_t DecodedBytes = 0;
};

// Reads the header of the picture in the first size bytes: JPEG (to its frame header), PNG (its IHDR),
// GIF (every frame's descriptor) or BMP. Any other bytes are of an unknown format.
PictureHeader ReadPictureHeader(const unsigned char* bytes, size_t size);

} // namespace platform
