#include "platform/PictureHeader.h"

#include <cstring>

namespace platform {

namespace {

uint32_t BigEndian16(const unsigned char* at) {
    return uint32_t(at[0]) << 8 | at[1];
}

uint32_t BigEndian32(const unsigned char* at) {
    return BigEndian16(at) << 16 | BigEndian16(at + 2);
}

uint32_t LittleEndian16(const unsigned char* at) {
    return uint32_t(at[1]) << 8 | at[0];
}

uint32_t LittleEndian32(const unsigned char* at) {
    return LittleEndian16(at + 2) << 16 | LittleEndian16(at);
}

void SetSize(PictureHeader& header, uint32_t width, uint32_t height, uint64_t bytesPerPixel) {
    if (!width || !height) return;
    header.Width = width;
    header.Height = height;
    header.Pixels = uint64_t{width} * height;
    header.DecodedBytes = header.Pixels * bytesPerPixel;
}

// Markers up to the first frame header (SOF0 to SOF15 but DHT, JPG and DAC).
void ReadJpeg(const unsigned char* bytes, size_t size, PictureHeader& header) {
    size_t at = 2;
    while (at + 4 <= size) {
        if (bytes[at] != 0xFF) return;
        const unsigned char marker = bytes[at + 1];
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) { // no length
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) return; // the image ends or its data begins: no frame header
        const uint32_t length = BigEndian16(bytes + at + 2);
        if (length < 2) return;
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            if (length < 8 || at + 10 > size) return;
            const uint32_t components = bytes[at + 9];
            if (!components) return;
            // A progressive picture is kept as coefficients of two bytes per sample besides its pixels.
            const bool progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            SetSize(header, BigEndian16(bytes + at + 7), BigEndian16(bytes + at + 5),
                    uint64_t{components} * (progressive ? 3 : 1));
            return;
        }
        at += 2 + length;
    }
}

void ReadPng(const unsigned char* bytes, size_t size, PictureHeader& header) {
    if (size < 29 || std::memcmp(bytes + 12, "IHDR", 4) != 0) return;
    const uint32_t depth = bytes[24], colourType = bytes[25];
    // Channels as decoded: palettes and grey with transparency become four channels.
    uint64_t channels;
    switch (colourType) {
    case 0:
        channels = 1;
        break;
    case 2:
        channels = 3;
        break;
    case 3:
    case 4:
    case 6:
        channels = 4;
        break;
    default:
        return;
    }
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16) return;
    SetSize(header, BigEndian32(bytes + 16), BigEndian32(bytes + 20), channels * (depth == 16 ? 2 : 1));
}

// Skips a GIF's data sub-blocks from at; the position after their terminator, or size when cut short.
size_t SkipSubBlocks(const unsigned char* bytes, size_t size, size_t at) {
    while (at < size && bytes[at]) at += 1 + size_t{bytes[at]};
    return at < size ? at + 1 : size;
}

// The logical screen and every frame: a decoder holds each frame's indices and a screen of colours.
void ReadGif(const unsigned char* bytes, size_t size, PictureHeader& header) {
    if (size < 13) return;
    const uint32_t width = LittleEndian16(bytes + 6), height = LittleEndian16(bytes + 8);
    size_t at = 13;
    if (bytes[10] & 0x80) at += 3 * (size_t{2} << (bytes[10] & 7));
    uint64_t framePixels = 0;
    uint32_t largestWidth = width, largestHeight = height;
    while (at < size && bytes[at] != 0x3B) {
        if (bytes[at] == 0x21) { // extension: its label, then sub-blocks
            at = SkipSubBlocks(bytes, size, at + 2);
        } else if (bytes[at] == 0x2C) {
            if (at + 10 > size) break;
            const uint32_t frameWidth = LittleEndian16(bytes + at + 5),
                           frameHeight = LittleEndian16(bytes + at + 7);
            framePixels += uint64_t{frameWidth} * frameHeight;
            if (uint64_t{frameWidth} * frameHeight > uint64_t{largestWidth} * largestHeight) {
                largestWidth = frameWidth;
                largestHeight = frameHeight;
            }
            at += 10;
            if (bytes[at - 1] & 0x80) at += 3 * (size_t{2} << (bytes[at - 1] & 7));
            at = SkipSubBlocks(bytes, size, at + 1); // past the LZW code size
        } else {
            break; // not a block: the rest is damage the decoder will meet
        }
    }
    SetSize(header, largestWidth, largestHeight, 4);
    if (!header.Width) return;
    header.Pixels = framePixels + uint64_t{width} * height;
    header.DecodedBytes = framePixels + uint64_t{width} * height * 4;
}

void ReadBmp(const unsigned char* bytes, size_t size, PictureHeader& header) {
    if (size < 26) return;
    const uint32_t infoSize = LittleEndian32(bytes + 14);
    int64_t width, height;
    uint32_t bitsPerPixel, compression = 0;
    if (infoSize == 12) {
        width = LittleEndian16(bytes + 18);
        height = LittleEndian16(bytes + 20);
        bitsPerPixel = LittleEndian16(bytes + 24);
    } else if (infoSize >= 40 && size >= 34) {
        width = int32_t(LittleEndian32(bytes + 18));
        height = int32_t(LittleEndian32(bytes + 22));
        bitsPerPixel = LittleEndian16(bytes + 28);
        compression = LittleEndian32(bytes + 30);
    } else {
        return;
    }
    if (height < 0) height = -height; // rows from the top
    if (width <= 0 || height <= 0) return;
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 16 &&
        bitsPerPixel != 24 && bitsPerPixel != 32)
        return;
    // Run-length encoded rows are decoded into 32 bits a pixel; JPEG or PNG inside a BMP is not read.
    if (compression > 3) return;
    SetSize(header, uint32_t(width), uint32_t(height),
            compression == 1 || compression == 2 ? 4 : (bitsPerPixel + 7) / 8);
}

} // namespace

PictureHeader ReadPictureHeader(const unsigned char* bytes, size_t size) {
    PictureHeader header;
    if (!bytes) return header;
    if (size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
        header.Format = PictureFormat::Jpeg;
        ReadJpeg(bytes, size, header);
    } else if (size >= 8 && std::memcmp(bytes, "\x89PNG\r\n\x1A\n", 8) == 0) {
        header.Format = PictureFormat::Png;
        ReadPng(bytes, size, header);
    } else if (size >= 6 && (std::memcmp(bytes, "GIF87a", 6) == 0 || std::memcmp(bytes, "GIF89a", 6) == 0)) {
        header.Format = PictureFormat::Gif;
        ReadGif(bytes, size, header);
    } else if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        header.Format = PictureFormat::Bmp;
        ReadBmp(bytes, size, header);
    }
    return header;
}

} // namespace platform
