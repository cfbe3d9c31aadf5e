#pragma once
// The imaging factory as the phone offers it: images are created from a byte stream or a file, report
// their size, give a scaled copy and draw themselves into a device context. On the desktop the factory
// is ours, decoding through the Windows Imaging Component.
#include <windows.h>
#include <objidl.h>

// Identifiers of the phone's factory, for a device build that creates the platform's own.
constexpr CLSID CLSID_ImagingFactory = {
    0x327ABDA8, 0x072B, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
constexpr IID IID_IImagingFactory = {
    0x327ABDA7, 0x072B, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

struct ImageInfo {
    UINT Width;
    UINT Height;
};

// A decoded picture. Released through Release().
struct IImage : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetImageInfo(ImageInfo* info) = 0;
    // A copy scaled to width x height.
    virtual HRESULT STDMETHODCALLTYPE GetThumbnail(UINT width, UINT height, IImage** thumbnail) = 0;
    // Draws the whole picture stretched into destination; source must be null.
    virtual HRESULT STDMETHODCALLTYPE Draw(HDC dc, const RECT* destination, const RECT* source) = 0;
};

struct IImagingFactory : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateImageFromStream(IStream* stream, IImage** image) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateImageFromFile(const wchar_t* path, IImage** image) = 0;
};

namespace platform {

// What the factory answers for a picture it will not decode because it is too large for the memory a
// picture may take.
constexpr HRESULT PictureTooLarge = HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);

// What one picture may cost. Its encoded bytes are read into memory whole, and the platform's decoders
// hold all of its pixels at once while decoding (PictureHeader.h says how many bytes that is for each
// format), so a picture is refused on its header when either would pass its limit.
struct PictureLimits {
    UINT64 EncodedBytes;
    UINT64 DecodedBytes;
    UINT64 Pixels;
};

// A picture from a stream (a contact's) is shrunk to the size it is shown at, in strips of rows: at
// most 8 MB encoded, 16 MB in the decoder (a photo of about 5 megapixels, 2560 x 1920), 16 megapixels.
constexpr PictureLimits StreamPictureLimits = {8u << 20, 16u << 20, 16u << 20};
// A picture from a file (a skin image) is drawn whole at its own size, through a 32-bit copy into a
// bitmap of the same size: at most 8 MB encoded or in the decoder, and 2 megapixels (1600 x 1250).
constexpr PictureLimits FilePictureLimits = {8u << 20, 8u << 20, 2u << 20};
// The largest scaled copy (thumbnail) of a picture, in pixels: a picture fitted to a button is this
// large only when it is some fifty times wider than high.
constexpr UINT64 MaxThumbnailPixels = 1u << 20;

// The in-process server of CLSID_ImagingFactory, which CoCreateInstance reaches on the phone: ours,
// decoding through the Windows Imaging Component. Only IID_IImagingFactory is served. COM must be
// initialised on the calling thread.
HRESULT CreateImagingFactory(REFIID iid, void** object);

} // namespace platform
