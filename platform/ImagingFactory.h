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

// The in-process server of CLSID_ImagingFactory, which CoCreateInstance reaches on the phone: ours,
// decoding through the Windows Imaging Component. Only IID_IImagingFactory is served. COM must be
// initialised on the calling thread.
HRESULT CreateImagingFactory(REFIID iid, void** object);

} // namespace platform
