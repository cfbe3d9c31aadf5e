#include "ui/ImageDecoding.h"

#include "platform/PictureHeader.h"

#include <wincodec.h>

#include <vector>

namespace {

void Tell(WString* problem, const WString& what) {
    if (problem) *problem = what;
}

// Why the picture in stream was refused, with the size its header gives when it gives one.
WString DescribeStreamFailure(IStream* stream, HRESULT result) {
    WString what = DescribePictureFailure(result);
    if (result != platform::PictureTooLarge || FAILED(stream->Seek({}, STREAM_SEEK_SET, nullptr)))
        return what;
    // The header lies within the first bytes, behind at most a few blocks of metadata.
    std::vector<BYTE> start(256 * 1024);
    ULONG read = 0;
    if (FAILED(stream->Read(start.data(), ULONG(start.size()), &read))) return what;
    const platform::PictureHeader header = platform::ReadPictureHeader(start.data(), read);
    if (!header.Width) return what;
    WString sized;
    sized.Format(L"%ux%u pixels, ", header.Width, header.Height);
    sized += what;
    return sized;
}

} // namespace

WString DescribePictureFailure(HRESULT result) {
    WString what;
    switch (result) {
    case WINCODEC_ERR_COMPONENTNOTFOUND:
    case WINCODEC_ERR_UNKNOWNIMAGEFORMAT:
        what = L"not a JPEG, PNG, GIF or BMP picture";
        break;
    case platform::PictureTooLarge:
        what = L"too large for the memory a picture may take";
        break;
    default:
        what.Format(L"damaged or unreadable (0x%08lX)", static_cast<unsigned long>(result));
    }
    return what;
}

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

IImage* DecodeStreamFitted(IImagingFactory* factory, IStream* stream, int mode, int boxWidth, int boxHeight,
                           WString* problem) {
    if (!factory || !stream) {
        if (stream) Tell(problem, L"the imaging component is missing");
        return nullptr;
    }
    ULARGE_INTEGER size = {};
    if (FAILED(stream->Seek({}, STREAM_SEEK_END, &size)) ||
        FAILED(stream->Seek({}, STREAM_SEEK_SET, nullptr))) {
        Tell(problem, L"its bytes cannot be read");
        return nullptr;
    }
    if (!size.QuadPart) return nullptr;
    IImage* image = nullptr;
    if (const HRESULT created = factory->CreateImageFromStream(stream, &image); FAILED(created) || !image) {
        if (problem) *problem = DescribeStreamFailure(stream, FAILED(created) ? created : E_FAIL);
        return nullptr;
    }
    ImageInfo info = {};
    if (FAILED(image->GetImageInfo(&info)) || !info.Width || !info.Height) {
        Tell(problem, L"it has no pixels");
        image->Release();
        return nullptr;
    }
    if (!mode || !boxWidth || !boxHeight) return image;
    int width = int(info.Width), height = int(info.Height);
    FitSize(mode, boxWidth, boxHeight, width, height);
    IImage* thumbnail = nullptr;
    const HRESULT scaled =
        width <= 0 || height <= 0 ? E_INVALIDARG : image->GetThumbnail(UINT(width), UINT(height), &thumbnail);
    if (FAILED(scaled) || !thumbnail) {
        thumbnail = nullptr;
        if (problem && (scaled == platform::PictureTooLarge || scaled == E_INVALIDARG)) {
            problem->Format(L"%ux%u pixels cannot be scaled to %dx%d", info.Width, info.Height, width,
                            height);
            if (scaled == platform::PictureTooLarge)
                *problem += L": too large for the memory a picture may take";
        } else if (problem) {
            // The decoder met damage on its way through the rows.
            *problem = DescribePictureFailure(FAILED(scaled) ? scaled : E_FAIL);
        }
    }
    image->Release();
    return thumbnail;
}

HBITMAP DecodeFile(IImagingFactory* factory, const wchar_t* path, WString* problem) {
    if (!factory || !path) {
        if (path) Tell(problem, L"the imaging component is missing");
        return nullptr;
    }
    IImage* image = nullptr;
    if (const HRESULT created = factory->CreateImageFromFile(path, &image); FAILED(created) || !image) {
        const bool missing = created == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
                             created == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        if (!missing) Tell(problem, DescribePictureFailure(FAILED(created) ? created : E_FAIL));
        return nullptr;
    }
    ImageInfo info = {};
    HBITMAP bitmap = nullptr;
    if (SUCCEEDED(image->GetImageInfo(&info)) && info.Width && info.Height) {
        bitmap = ImageToBitmap(factory, image);
        if (!bitmap) Tell(problem, L"it cannot be drawn into a bitmap");
    } else {
        Tell(problem, L"it has no pixels");
    }
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
