#include <initguid.h> // the codec identifiers below are defined here

#include "platform/PictureHeader.h"

#include <gtest/gtest.h>
#include <wincodec.h>

#include <random>
#include <string>
#include <vector>

using platform::PictureFormat;
using platform::ReadPictureHeader;

namespace {

using Bytes = std::vector<unsigned char>;

platform::PictureHeader Read(const Bytes& bytes) {
    return ReadPictureHeader(bytes.data(), bytes.size());
}

// A width x height picture of pixelFormat encoded by the platform's encoder for container.
Bytes Encode(const GUID& container, const GUID& pixelFormat, UINT width, UINT height) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IWICImagingFactory* wic = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IWICImagingFactory), reinterpret_cast<void**>(&wic))))
        return {};
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    wic->CreateEncoder(container, nullptr, &encoder);
    encoder->Initialize(stream, WICBitmapEncoderNoCache);
    encoder->CreateNewFrame(&frame, nullptr);
    frame->Initialize(nullptr);
    frame->SetSize(width, height);
    WICPixelFormatGUID format = pixelFormat;
    frame->SetPixelFormat(&format);
    const UINT stride = width * 4;
    std::vector<BYTE> pixels(size_t{stride} * height, 0x7F);
    frame->WritePixels(height, stride, UINT(pixels.size()), pixels.data());
    frame->Commit();
    encoder->Commit();
    frame->Release();
    encoder->Release();
    wic->Release();
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    Bytes bytes(size_t(stat.cbSize.QuadPart));
    stream->Seek({}, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    stream->Read(bytes.data(), ULONG(bytes.size()), &read);
    stream->Release();
    return bytes;
}

// A JPEG's start: an APP0 block, then a frame header of marker sof.
Bytes Jpeg(unsigned char sof, unsigned width, unsigned height, unsigned char components) {
    Bytes bytes = {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 'J', 'F', 0xFF, 0xFF, sof, 0, 8, 8};
    for (unsigned value : {height, width}) {
        bytes.push_back(static_cast<unsigned char>(value >> 8));
        bytes.push_back(static_cast<unsigned char>(value));
    }
    bytes.push_back(components);
    return bytes;
}

Bytes Png(unsigned width, unsigned height, unsigned char depth, unsigned char colourType) {
    Bytes bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (unsigned value : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<unsigned char>(value >> shift));
    bytes.insert(bytes.end(), {depth, colourType, 0, 0, 0});
    return bytes;
}

void Little(Bytes& bytes, unsigned value, int count) {
    for (int i = 0; i < count; ++i) bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

Bytes Bmp(int width, int height, unsigned bits, unsigned compression) {
    Bytes bytes = {'B', 'M'};
    Little(bytes, 0, 12);
    Little(bytes, 40, 4);
    Little(bytes, unsigned(width), 4);
    Little(bytes, unsigned(height), 4);
    Little(bytes, 1, 2);
    Little(bytes, bits, 2);
    Little(bytes, compression, 4);
    return bytes;
}

} // namespace

TEST(PictureHeader, ReadsTheSizeAndTheDecoderCostOfEachFormat) {
    const struct {
        const char* what;
        Bytes bytes;
        PictureFormat format;
        unsigned width, height;
        unsigned long long decoded;
    } cases[] = {
        {"baseline JPEG", Jpeg(0xC0, 640, 480, 3), PictureFormat::Jpeg, 640, 480, 640 * 480 * 3},
        {"grey JPEG", Jpeg(0xC1, 100, 10, 1), PictureFormat::Jpeg, 100, 10, 1000},
        {"progressive JPEG", Jpeg(0xC2, 100, 10, 3), PictureFormat::Jpeg, 100, 10, 9000},
        {"JPEG without height", Jpeg(0xC0, 100, 0, 3), PictureFormat::Jpeg, 0, 0, 0},
        {"JPEG whose data begins first",
         {0xFF, 0xD8, 0xFF, 0xDA, 0, 2, 0xFF, 0xC0},
         PictureFormat::Jpeg,
         0,
         0,
         0},
        {"RGB PNG", Png(300, 200, 8, 2), PictureFormat::Png, 300, 200, 300 * 200 * 3},
        {"16-bit RGBA PNG", Png(30, 20, 16, 6), PictureFormat::Png, 30, 20, 30 * 20 * 8},
        {"palette PNG", Png(30, 20, 4, 3), PictureFormat::Png, 30, 20, 30 * 20 * 4},
        {"PNG of an unknown colour type", Png(30, 20, 8, 5), PictureFormat::Png, 0, 0, 0},
        {"PNG of 100000 x 100000", Png(100000, 100000, 8, 2), PictureFormat::Png, 100000, 100000,
         30000000000ull},
        {"upright 24-bit BMP", Bmp(7, -5, 24, 0), PictureFormat::Bmp, 7, 5, 105},
        {"run-length BMP", Bmp(7, 5, 8, 1), PictureFormat::Bmp, 7, 5, 140},
        {"BMP holding a PNG", Bmp(7, 5, 0, 5), PictureFormat::Bmp, 0, 0, 0},
        {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}, PictureFormat::Unknown, 0, 0, 0},
    };
    for (const auto& example : cases) {
        SCOPED_TRACE(example.what);
        const platform::PictureHeader header = Read(example.bytes);
        EXPECT_EQ(header.Format, example.format);
        EXPECT_EQ(header.Width, example.width);
        EXPECT_EQ(header.Height, example.height);
        EXPECT_EQ(header.DecodedBytes, example.decoded);
    }
}

TEST(PictureHeader, EveryFrameOfAGifCounts) {
    // A 10 x 10 screen with a two-colour table, a comment, and frames of 4 x 4 and 300 x 200.
    Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 10, 0, 10, 0, 0x80, 0, 0, 0, 0, 0, 1, 1, 1};
    gif.insert(gif.end(), {0x21, 0xFE, 3, 'a', 'b', 'c', 0});
    for (unsigned size : {4u << 16 | 4u, 300u << 16 | 200u}) {
        Bytes frame = {0x2C, 0, 0, 0, 0};
        Little(frame, size >> 16, 2);
        Little(frame, size & 0xFFFF, 2);
        frame.insert(frame.end(), {0, 2, 2, 0x4C, 0x01, 0});
        gif.insert(gif.end(), frame.begin(), frame.end());
    }
    gif.push_back(0x3B);
    const platform::PictureHeader header = Read(gif);
    EXPECT_EQ(header.Format, PictureFormat::Gif);
    EXPECT_EQ(header.Width, 300u) << "the largest frame";
    EXPECT_EQ(header.Pixels, 16u + 60000u + 100u);
    EXPECT_EQ(header.DecodedBytes, 16u + 60000u + 400u);
}

TEST(PictureHeader, AgreesWithTheEncoderAndSurvivesEveryCutAndDamage) {
    const struct {
        const GUID* container;
        const GUID* format;
    } encoded[] = {{&GUID_ContainerFormatJpeg, &GUID_WICPixelFormat24bppBGR},
                   {&GUID_ContainerFormatPng, &GUID_WICPixelFormat32bppBGRA},
                   {&GUID_ContainerFormatGif, &GUID_WICPixelFormat8bppIndexed},
                   {&GUID_ContainerFormatBmp, &GUID_WICPixelFormat24bppBGR}};
    std::mt19937 random(20261206);
    for (const auto& picture : encoded) {
        const Bytes whole = Encode(*picture.container, *picture.format, 37, 23);
        ASSERT_FALSE(whole.empty());
        const platform::PictureHeader header = Read(whole);
        EXPECT_EQ(header.Width, 37u);
        EXPECT_EQ(header.Height, 23u);
        EXPECT_GE(header.DecodedBytes, 37u * 23u);
        for (size_t cut = 0; cut <= whole.size(); ++cut) {
            const platform::PictureHeader part = ReadPictureHeader(whole.data(), cut);
            EXPECT_TRUE(part.Width == 0 || part.Width == 37u) << cut;
        }
        for (int round = 0; round < 2000; ++round) {
            Bytes damaged(whole.begin(), whole.begin() + std::min<size_t>(whole.size(), 64 + random() % 256));
            for (int flips = 1 + int(random() % 6); flips > 0; --flips)
                damaged[random() % damaged.size()] = static_cast<unsigned char>(random());
            const platform::PictureHeader read = Read(damaged);
            if (read.Width) {
                EXPECT_GT(read.Height, 0u);
                EXPECT_GE(read.Pixels, uint64_t{read.Width} * read.Height);
                EXPECT_GE(read.DecodedBytes, read.Pixels / 2) << "never less than what a decoder holds";
            }
        }
    }
    EXPECT_EQ(ReadPictureHeader(nullptr, 100).Format, PictureFormat::Unknown);
}
