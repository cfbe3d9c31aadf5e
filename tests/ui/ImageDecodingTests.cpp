// Decoding pictures from streams and files into plain bitmaps, fitted to a box.
#include <initguid.h> // the codec identifiers below are defined here

#include "ui/ImageDecoding.h"

#include <gtest/gtest.h>
#include <wincodec.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr COLORREF Red = RGB(220, 30, 30);
constexpr COLORREF Blue = RGB(30, 40, 210);

struct Format {
    const char* name;
    const GUID* container;
};
const Format Formats[] = {{"png", &GUID_ContainerFormatPng},
                          {"jpeg", &GUID_ContainerFormatJpeg},
                          {"bmp", &GUID_ContainerFormatBmp}};

// A picture of width x height, its left half red and its right half blue, encoded in format; with
// alpha, as 32-bit pixels whose right half is fully transparent instead.
std::vector<BYTE> Encode(const GUID& format, UINT width, UINT height, bool alpha = false) {
    IWICImagingFactory* wic = nullptr;
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IWICImagingFactory), reinterpret_cast<void**>(&wic))))
        return {};
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    wic->CreateEncoder(format, nullptr, &encoder);
    encoder->Initialize(stream, WICBitmapEncoderNoCache);
    encoder->CreateNewFrame(&frame, nullptr);
    frame->Initialize(nullptr);
    frame->SetSize(width, height);
    WICPixelFormatGUID pixelFormat = alpha ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat24bppBGR;
    frame->SetPixelFormat(&pixelFormat);
    const UINT channels = alpha ? 4 : 3;
    const UINT stride = (width * channels + 3) & ~3u;
    std::vector<BYTE> pixels(size_t{stride} * height);
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x) {
            const COLORREF color = x < width / 2 ? Red : Blue;
            BYTE* pixel = &pixels[y * stride + x * channels];
            pixel[0] = GetBValue(color), pixel[1] = GetGValue(color), pixel[2] = GetRValue(color);
            if (alpha) pixel[3] = x < width / 2 ? 0xFF : 0;
        }
    frame->WritePixels(height, stride, UINT(pixels.size()), pixels.data());
    frame->Commit();
    encoder->Commit();
    frame->Release();
    encoder->Release();
    wic->Release();
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    std::vector<BYTE> bytes(size_t(stat.cbSize.QuadPart));
    stream->Seek({}, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    stream->Read(bytes.data(), ULONG(bytes.size()), &read);
    stream->Release();
    return bytes;
}

// A stream over bytes, left positioned at its end as a caller might leave it.
IStream* StreamOver(const std::vector<BYTE>& bytes) {
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    ULONG written = 0;
    if (!bytes.empty()) stream->Write(bytes.data(), ULONG(bytes.size()), &written);
    return stream;
}

SIZE SizeOf(IImage* image) {
    ImageInfo info = {};
    image->GetImageInfo(&info);
    return {LONG(info.Width), LONG(info.Height)};
}

COLORREF PixelAt(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF color = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return color;
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
    return abs(GetRValue(a) - GetRValue(b)) <= tolerance && abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

std::pair<int, int> Fitted(int mode, int boxWidth, int boxHeight, int width, int height) {
    FitSize(mode, boxWidth, boxHeight, width, height);
    return {width, height};
}

TEST(FitSize, KeepsTheAspectRatioInsideOrCoveringTheBox) {
    EXPECT_EQ(Fitted(FitCover, 50, 50, 200, 100), std::pair(100, 50));
    EXPECT_EQ(Fitted(FitInside, 50, 50, 100, 200), std::pair(25, 50));
    EXPECT_EQ(Fitted(FitCover, 64, 48, 10, 10), std::pair(64, 64));
    EXPECT_EQ(Fitted(3, 50, 50, 200, 100), std::pair(200, 100)) << "an unknown mode";
    EXPECT_EQ(Fitted(FitCover, 0, 50, 200, 100), std::pair(200, 100)) << "an empty box";
    // A picture without width or height goes through the formula too, MulDiv giving -1 for a division
    // by zero.
    EXPECT_EQ(Fitted(FitInside, 50, 50, 0, 100), std::pair(0, 50));
    EXPECT_EQ(Fitted(FitCover, 50, 50, 0, 100), std::pair(50, -1));
    EXPECT_EQ(Fitted(FitCover, 50, 50, 100, 0), std::pair(50, 0));
    EXPECT_EQ(Fitted(FitInside, 50, 50, 0, 0), std::pair(50, -1));
}

TEST(ImageDecoding, EmptyOrMissingInputGivesNothingAndNoProblem) {
    IImagingFactory* factory = GetImagingFactory();
    ASSERT_TRUE(factory);
    WString problem;
    IStream* empty = StreamOver({});
    EXPECT_EQ(DecodeStreamFitted(factory, empty, FitCover, 50, 50, &problem), nullptr);
    empty->Release();
    EXPECT_EQ(DecodeFile(factory, L"C:\\no\\such\\picture.bmp", &problem), nullptr);
    EXPECT_TRUE(problem.IsEmpty()) << "nothing to decode is nothing wrong";
}

// The header of a picture as encoded, with its frame's size replaced (JPEG) or its IHDR's (PNG).
std::vector<BYTE> Claiming(std::vector<BYTE> bytes, UINT width, UINT height) {
    if (bytes.size() > 24 && bytes[0] == 0x89) {
        for (int i = 0; i < 4; ++i)
            bytes[16 + i] = BYTE(width >> (24 - 8 * i)), bytes[20 + i] = BYTE(height >> (24 - 8 * i));
        return bytes;
    }
    for (size_t at = 2; at + 9 < bytes.size(); at += 2 + (bytes[at + 2] << 8 | bytes[at + 3])) {
        if (bytes[at + 1] >= 0xC0 && bytes[at + 1] <= 0xC2) {
            bytes[at + 5] = BYTE(height >> 8), bytes[at + 6] = BYTE(height);
            bytes[at + 7] = BYTE(width >> 8), bytes[at + 8] = BYTE(width);
            break;
        }
    }
    return bytes;
}

TEST(ImageDecoding, PicturesOverTheLimitsAreRefusedOnTheirHeaderAlone) {
    IImagingFactory* factory = GetImagingFactory();
    const struct {
        std::vector<BYTE> bytes;
        const wchar_t* problem;
    } cases[] = {
        {Claiming(Encode(GUID_ContainerFormatJpeg, 16, 16), 10000, 10000),
         L"10000x10000 pixels, too large for the memory a picture may take"},
        {Claiming(Encode(GUID_ContainerFormatPng, 16, 16), 3000, 2000),
         L"3000x2000 pixels, too large for the memory a picture may take"},
        {std::vector<BYTE>(platform::StreamPictureLimits.EncodedBytes + 1, 0xFF),
         L"too large for the memory a picture may take"},
    };
    for (const auto& example : cases) {
        IStream* stream = StreamOver(example.bytes);
        WString problem;
        EXPECT_EQ(DecodeStreamFitted(factory, stream, FitCover, 50, 50, &problem), nullptr);
        EXPECT_EQ(std::wstring(problem), example.problem);
        stream->Release();
    }
}

TEST(ImageDecoding, TransparentPicturesShrinkWithTheirAlpha) {
    IStream* stream = StreamOver(Encode(GUID_ContainerFormatPng, 400, 200, true));
    IImage* image = DecodeStreamFitted(GetImagingFactory(), stream, FitCover, 12, 12);
    stream->Release();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(SizeOf(image).cx, 24);
    HBITMAP bitmap = ImageToBitmap(GetImagingFactory(), image);
    image->Release();
    EXPECT_TRUE(Near(PixelAt(bitmap, 3, 6), Red, 24));
    EXPECT_EQ(PixelAt(bitmap, 20, 6), RGB(0, 0, 0)) << "the transparent half leaves the bitmap as it was";
    DeleteObject(bitmap);
}

TEST(ImageDecoding, APictureThatGivesNothingSaysWhy) {
    const auto problemOf = [](const std::vector<BYTE>& bytes, int boxWidth = 50, int boxHeight = 50) {
        WString problem;
        IStream* stream = StreamOver(bytes);
        IImage* image =
            DecodeStreamFitted(GetImagingFactory(), stream, FitCover, boxWidth, boxHeight, &problem);
        stream->Release();
        if (image) image->Release();
        return std::wstring(problem);
    };
    EXPECT_EQ(problemOf({'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'}),
              L"not a JPEG, PNG, GIF or BMP picture");
    // A picture a hundred times wider than high, covering a box 20,000 pixels high, would need a copy
    // wider than any is made.
    const std::wstring tooWide = problemOf(Encode(GUID_ContainerFormatPng, 400, 4), 50, 20000);
    EXPECT_EQ(tooWide,
              L"400x4 pixels cannot be scaled to 2000000x20000: too large for the memory a picture may take");
    EXPECT_EQ(problemOf(Encode(GUID_ContainerFormatPng, 40, 40)), L"") << "a good picture has no problem";
    EXPECT_EQ(DescribePictureFailure(platform::PictureTooLarge).Left(9), WString(L"too large"));
}

// Each format decodes scaled into a bottom-up bitmap; damaged copies (flipped bytes, cut short)
// decode either to a usable picture or to nothing.
TEST(ImageDecoding, DecodesEveryFormatAndSurvivesDamage) {
    std::mt19937 random(20261205);
    for (const Format& format : Formats) {
        const std::vector<BYTE> original = Encode(*format.container, 48, 24);
        ASSERT_FALSE(original.empty());
        for (int round = 0; round < 40; ++round) {
            std::vector<BYTE> damaged = original;
            if (round % 4 == 3) {
                damaged.resize(random() % damaged.size());
            } else if (round > 0) {
                for (int flips = 1 + int(random() % 8); flips > 0; --flips)
                    damaged[random() % damaged.size()] = BYTE(random());
            }
            IStream* stream = StreamOver(damaged);
            IImage* image = DecodeStreamFitted(GetImagingFactory(), stream, FitCover, 12, 12);
            stream->Release();
            ASSERT_TRUE(image || round > 0) << format.name;
            if (!image) continue;
            EXPECT_GT(SizeOf(image).cx * SizeOf(image).cy, 0) << format.name << " round " << round;
            HBITMAP bitmap = ImageToBitmap(GetImagingFactory(), image);
            image->Release();
            if (round == 0) {
                DIBSECTION section = {};
                ASSERT_EQ(GetObjectW(bitmap, sizeof section, &section), int(sizeof section)) << format.name;
                EXPECT_EQ(section.dsBmih.biWidth, 24) << format.name;
                EXPECT_EQ(section.dsBmih.biHeight, 12) << format.name << ": rows are bottom-up";
                EXPECT_TRUE(Near(PixelAt(bitmap, 3, 6), Red, 24)) << format.name;
                EXPECT_TRUE(Near(PixelAt(bitmap, 20, 6), Blue, 24)) << format.name;
            }
            if (bitmap) DeleteObject(bitmap);
        }
    }
}

} // namespace
