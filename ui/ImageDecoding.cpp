#include "ui/ImageDecoding.h"

IImagingFactory* GetImagingFactory() {
    static IImagingFactory* const factory = [] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        IImagingFactory* created = nullptr;
        if (FAILED(platform::CreateImagingFactory(IID_IImagingFactory, reinterpret_cast<void**>(&created))))
            created = nullptr;
        return created;
    }();
    return factory;
}

void FitSize(int mode, int boxWidth, int boxHeight, int& width, int& height) {
    if (!boxWidth || !boxHeight || (mode != FitInside && mode != FitCover)) return;
    const int scaledWidth = MulDiv(width, boxHeight, height);
    const bool byHeight =
        scaledWidth >= 0 && (mode == FitInside ? scaledWidth <= boxWidth : scaledWidth >= boxWidth);
    if (byHeight) {
        width = scaledWidth;
        height = boxHeight;
    } else {
        height = MulDiv(height, boxWidth, width);
        width = boxWidth;
    }
}

IImage* DecodeStreamFitted(IImagingFactory* factory, IStream* stream, int mode, int boxWidth, int boxHeight) {
    if (!factory || !stream) return nullptr;
    ULARGE_INTEGER size = {};
    if (FAILED(stream->Seek({}, STREAM_SEEK_END, &size)) ||
        FAILED(stream->Seek({}, STREAM_SEEK_SET, nullptr)) || !size.QuadPart)
        return nullptr;
    IImage* image = nullptr;
    if (FAILED(factory->CreateImageFromStream(stream, &image)) || !image) return nullptr;
    ImageInfo info = {};
    if (FAILED(image->GetImageInfo(&info)) || !info.Width || !info.Height) {
        image->Release();
        return nullptr;
    }
    if (!mode || !boxWidth || !boxHeight) return image;
    int width = int(info.Width), height = int(info.Height);
    FitSize(mode, boxWidth, boxHeight, width, height);
    IImage* thumbnail = nullptr;
    if (width <= 0 || height <= 0 || FAILED(image->GetThumbnail(UINT(width), UINT(height), &thumbnail)))
        thumbnail = nullptr;
    image->Release();
    return thumbnail;
}

HBITMAP DecodeFile(IImagingFactory* factory, const wchar_t* path) {
    if (!factory || !path) return nullptr;
    IImage* image = nullptr;
    if (FAILED(factory->CreateImageFromFile(path, &image)) || !image) return nullptr;
    ImageInfo info = {};
    HBITMAP bitmap = nullptr;
    if (SUCCEEDED(image->GetImageInfo(&info)) && info.Width && info.Height)
        bitmap = ImageToBitmap(factory, image);
    image->Release();
    return bitmap;
}

HBITMAP ImageToBitmap(IImagingFactory*, IImage* image) {
    ImageInfo info = {};
    if (!image || FAILED(image->GetImageInfo(&info)) || !info.Width || !info.Height) return nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return nullptr;
    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = LONG(info.Width);
    header.bmiHeader.biHeight = LONG(info.Height);
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = WORD(GetDeviceCaps(dc, BITSPIXEL) < 16 ? 16 : GetDeviceCaps(dc, BITSPIXEL));
    header.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &header, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        HGDIOBJ old = SelectObject(dc, bitmap);
        const RECT whole = {0, 0, LONG(info.Width), LONG(info.Height)};
        const HRESULT drawn = image->Draw(dc, &whole, nullptr);
        SelectObject(dc, old);
        if (FAILED(drawn)) {
            DeleteObject(bitmap);
            bitmap = nullptr;
        }
    }
    DeleteDC(dc);
    return bitmap;
}
