// Decoding pictures from streams and files into plain bitmaps, fitted to a box.
#include "contacts/ImageDecoding.h"

#include <gtest/gtest.h>
#include <wincodec.h>

#include <random>
#include <string>
#include <vector>

namespace {

constexpr CLSID WicFactoryClass = {
    0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
constexpr GUID PngFormat = {0x1b7cfaf4, 0x713f, 0x473c, {0xbb, 0xcd, 0x61, 0x37, 0x42, 0x5f, 0xae, 0xaf}};
constexpr GUID JpegFormat = {0x19e4a5aa, 0x5662, 0x4fc5, {0xa0, 0xc0, 0x17, 0x58, 0x02, 0x8e, 0x10, 0x57}};
constexpr GUID BmpFormat = {0x0af1d87e, 0xfcfe, 0x4188, {0xbd, 0xeb, 0xa7, 0x90, 0x64, 0x71, 0xcb, 0xe3}};
constexpr GUID Bgr24 = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0c}};

constexpr COLORREF Red = RGB(220, 30, 30);
constexpr COLORREF Blue = RGB(30, 40, 210);

struct Format {
    const char* name;
    const GUID* container;
};
const Format Formats[] = {{"png", &PngFormat}, {"jpeg", &JpegFormat}, {"bmp", &BmpFormat}};

// A picture of width x height, its left half red and its right half blue, encoded in format.
std::vector<BYTE> Encode(const GUID& format, UINT width, UINT height) {
    IWICImagingFactory* wic = nullptr;
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(CoCreateInstance(WicFactoryClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWICImagingFactory),
                                reinterpret_cast<void**>(&wic))))
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
    WICPixelFormatGUID pixelFormat = Bgr24;
    frame->SetPixelFormat(&pixelFormat);
    const UINT stride = (width * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(size_t{stride} * height);
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x) {
            const COLORREF color = x < width / 2 ? Red : Blue;
            BYTE* pixel = &pixels[y * stride + x * 3];
            pixel[0] = GetBValue(color), pixel[1] = GetGValue(color), pixel[2] = GetRValue(color);
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

TEST(FitSize, KeepsTheAspectRatioInsideOrCoveringTheBox) {
    struct Case {
        int mode, boxWidth, boxHeight, width, height, fittedWidth, fittedHeight;
    } const cases[] = {
        {FitCover, 50, 50, 200, 100, 100, 50}, {FitInside, 50, 50, 100, 200, 25, 50},
        {FitCover, 64, 48, 10, 10, 64, 64},    {0, 50, 50, 200, 100, 200, 100},
        {3, 50, 50, 200, 100, 200, 100},       {FitCover, 0, 50, 200, 100, 200, 100},
        {FitCover, 50, 50, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        int width = c.width, height = c.height;
        FitSize(c.mode, c.boxWidth, c.boxHeight, width, height);
        EXPECT_EQ(width, c.fittedWidth) << c.mode << " " << c.width << "x" << c.height;
        EXPECT_EQ(height, c.fittedHeight) << c.mode << " " << c.width << "x" << c.height;
    }
}

class ImageDecoding : public ::testing::TestWithParam<Format> {};

TEST_P(ImageDecoding, ScalesWhileDecodingAndDrawsIntoABottomUpBitmap) {
    ASSERT_TRUE(GetImagingFactory());
    const std::vector<BYTE> bytes = Encode(*GetParam().container, 200, 100);
    ASSERT_FALSE(bytes.empty());
    IStream* stream = StreamOver(bytes);
    IImage* image = DecodeStreamFitted(GetImagingFactory(), stream, FitCover, 50, 50);
    stream->Release();
    ASSERT_TRUE(image);
    EXPECT_EQ(SizeOf(image).cx, 100);
    EXPECT_EQ(SizeOf(image).cy, 50);

    HBITMAP bitmap = ImageToBitmap(GetImagingFactory(), image);
    image->Release();
    ASSERT_TRUE(bitmap);
    DIBSECTION section = {};
    ASSERT_EQ(GetObjectW(bitmap, sizeof section, &section), int(sizeof section));
    EXPECT_EQ(section.dsBmih.biWidth, 100);
    EXPECT_EQ(section.dsBmih.biHeight, 50) << "rows are bottom-up";
    EXPECT_GE(section.dsBmih.biBitCount, 16);
    EXPECT_TRUE(Near(PixelAt(bitmap, 10, 25), Red, 24)) << std::hex << PixelAt(bitmap, 10, 25);
    EXPECT_TRUE(Near(PixelAt(bitmap, 90, 25), Blue, 24)) << std::hex << PixelAt(bitmap, 90, 25);
    DeleteObject(bitmap);
}

INSTANTIATE_TEST_SUITE_P(Formats, ImageDecoding, ::testing::ValuesIn(Formats),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ImageDecodingFailures, EmptyOrMissingInputGivesNothing) {
    IImagingFactory* factory = GetImagingFactory();
    ASSERT_TRUE(factory);
    IStream* empty = StreamOver({});
    EXPECT_EQ(DecodeStreamFitted(factory, empty, FitCover, 50, 50), nullptr);
    empty->Release();
    EXPECT_EQ(DecodeFile(factory, L"C:\\no\\such\\picture.bmp"), nullptr);
}

// Damaged pictures (flipped bytes, cut short) either decode to a usable picture or to nothing.
TEST(ImageDecodingFailures, DamagedPicturesNeverCrash) {
    std::mt19937 random(20261205);
    for (const Format& format : Formats) {
        const std::vector<BYTE> original = Encode(*format.container, 24, 16);
        ASSERT_FALSE(original.empty());
        for (int round = 0; round < 40; ++round) {
            std::vector<BYTE> damaged = original;
            if (round % 4 == 3) {
                damaged.resize(random() % damaged.size());
            } else {
                for (int flips = 1 + int(random() % 8); flips > 0; --flips)
                    damaged[random() % damaged.size()] = BYTE(random());
            }
            IStream* stream = StreamOver(damaged);
            IImage* image = DecodeStreamFitted(GetImagingFactory(), stream, FitInside, 30, 30);
            stream->Release();
            if (!image) continue;
            const SIZE size = SizeOf(image);
            EXPECT_GT(size.cx, 0) << format.name << " round " << round;
            EXPECT_GT(size.cy, 0) << format.name << " round " << round;
            if (HBITMAP bitmap = ImageToBitmap(GetImagingFactory(), image)) DeleteObject(bitmap);
            image->Release();
        }
    }
}

} // namespace
