#include "platform/ImagingFactory.h"

#include "platform/ComObject.h"
#include "platform/PictureHeader.h"

#include <wincodec.h>

#include <atomic>
#include <cstring>
#include <vector>

namespace platform {

namespace {

constexpr CLSID WicFactoryClass = {
    0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
constexpr GUID PremultipliedBgra = {
    0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x10}};

template <class T> struct ComPtr {
    T* p = nullptr;
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (p) p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
};

constexpr IID IID_IImage = {0x327ABDA9, 0x072B, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

// What every picture shares: its size, and the checks on the size of a thumbnail.
class SizedImage : public ComObject<IImage> {
public:
    SizedImage(UINT width, UINT height) : width_(width), height_(height) {}

    HRESULT STDMETHODCALLTYPE GetImageInfo(ImageInfo* info) override {
        if (!info) return E_POINTER;
        *info = {width_, height_};
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetThumbnail(UINT width, UINT height, IImage** thumbnail) override {
        if (!thumbnail) return E_POINTER;
        *thumbnail = nullptr;
        if (!width || !height) return E_INVALIDARG;
        if (width > 0x4000 || height > 0x4000 || UINT64{width} * height > MaxThumbnailPixels)
            return PictureTooLarge;
        return Thumbnail(width, height, thumbnail);
    }

protected:
    virtual HRESULT Thumbnail(UINT width, UINT height, IImage** thumbnail) = 0;
    const IID& Identity() const override { return IID_IImage; }

    const UINT width_, height_;
};

// A decoded picture held as premultiplied 32-bit BGRA rows, top-down.
class PixelImage final : public SizedImage {
public:
    PixelImage(UINT width, UINT height, std::vector<BYTE> pixels)
        : SizedImage(width, height), pixels_(std::move(pixels)) {
        for (size_t i = 3; i < pixels_.size() && opaque_; i += 4) opaque_ = pixels_[i] == 0xFF;
    }

    HRESULT STDMETHODCALLTYPE Draw(HDC dc, const RECT* destination, const RECT* source) override {
        if (!dc || !destination || source) return E_INVALIDARG;
        BITMAPINFO info = {};
        info.bmiHeader = {
            sizeof(BITMAPINFOHEADER), LONG(width_), -LONG(height_), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        const int width = destination->right - destination->left;
        const int height = destination->bottom - destination->top;
        if (opaque_) {
            SetStretchBltMode(dc, COLORONCOLOR);
            return StretchDIBits(dc, destination->left, destination->top, width, height, 0, 0, width_,
                                 height_, pixels_.data(), &info, DIB_RGB_COLORS, SRCCOPY)
                       ? S_OK
                       : E_FAIL;
        }
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!bitmap) return E_OUTOFMEMORY;
        std::memcpy(bits, pixels_.data(), pixels_.size());
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, bitmap);
        const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        const BOOL drawn = GdiAlphaBlend(dc, destination->left, destination->top, width, height, memory, 0, 0,
                                         width_, height_, blend);
        SelectObject(memory, old);
        DeleteDC(memory);
        DeleteObject(bitmap);
        return drawn ? S_OK : E_FAIL;
    }

protected:
    HRESULT Thumbnail(UINT width, UINT height, IImage** thumbnail) override {
        std::vector<BYTE> scaled(size_t{width} * height * 4);
        // Box filter when shrinking, bilinear when enlarging: each target pixel averages the source
        // area it covers.
        for (UINT y = 0; y < height; ++y) {
            const double top = double(y) * height_ / height, bottom = double(y + 1) * height_ / height;
            for (UINT x = 0; x < width; ++x) {
                const double left = double(x) * width_ / width, right = double(x + 1) * width_ / width;
                Average(left, top, right, bottom, &scaled[(size_t{y} * width + x) * 4]);
            }
        }
        *thumbnail = new PixelImage(width, height, std::move(scaled));
        return S_OK;
    }

private:
    void Average(double left, double top, double right, double bottom, BYTE* out) const {
        // Enlarging: sample the nearest source pixel so edges stay crisp and the cost stays low.
        if (right - left <= 1.0 && bottom - top <= 1.0) {
            const UINT x = UINT((left + right) / 2), y = UINT((top + bottom) / 2);
            std::memcpy(
                out,
                &pixels_[(size_t{y < height_ ? y : height_ - 1} * width_ + (x < width_ ? x : width_ - 1)) *
                         4],
                4);
            return;
        }
        double sum[4] = {}, total = 0;
        for (UINT y = UINT(top); y < height_ && y < bottom; ++y) {
            const double h = (y + 1 < bottom ? y + 1 : bottom) - (y > top ? y : top);
            for (UINT x = UINT(left); x < width_ && x < right; ++x) {
                const double weight = h * ((x + 1 < right ? x + 1 : right) - (x > left ? x : left));
                const BYTE* pixel = &pixels_[(size_t{y} * width_ + x) * 4];
                for (int c = 0; c < 4; ++c) sum[c] += weight * pixel[c];
                total += weight;
            }
        }
        for (int c = 0; c < 4; ++c) out[c] = total > 0 ? BYTE(sum[c] / total + 0.5) : 0;
    }

    std::vector<BYTE> pixels_;
    bool opaque_ = true;
};

// The share of each source pixel, along one axis, in the one or two target pixels it falls on when
// size pixels shrink to target pixels (target units: the shares of one target pixel add up to 1).
struct Share {
    UINT First;
    float FirstWeight, SecondWeight; // the second goes to First + 1
};

std::vector<Share> Shares(UINT size, UINT target) {
    std::vector<Share> shares(size);
    const double scale = double(target) / size;
    for (UINT i = 0; i < size; ++i) {
        const double start = i * scale, end = (i + 1) * scale;
        const UINT first = UINT(start);
        const double boundary = first + 1.0;
        shares[i] = end <= boundary || first + 1 >= target
                        ? Share{first, float(end - start), 0}
                        : Share{first, float(boundary - start), float(end - boundary)};
    }
    return shares;
}

// A picture left with its decoder until it is asked for, read as 24-bit BGR (what photos decode to)
// or, through a format converter, as premultiplied 32-bit BGRA: a thumbnail is shrunk from strips of
// rows into two rows of sums, so the full-size picture is never copied out. Enlarging and drawing
// decode it whole.
class FrameImage final : public SizedImage {
public:
    FrameImage(std::vector<BYTE> bytes, IWICStream* stream, IWICBitmapDecoder* decoder,
               IWICBitmapSource* source, UINT channels, UINT width, UINT height)
        : SizedImage(width, height), bytes_(std::move(bytes)), stream_(stream), decoder_(decoder),
          source_(source), channels_(channels) {
        stream_->AddRef();
        decoder_->AddRef();
        source_->AddRef();
    }
    ~FrameImage() override {
        source_->Release();
        decoder_->Release();
        stream_->Release();
    }

    HRESULT STDMETHODCALLTYPE Draw(HDC dc, const RECT* destination, const RECT* source) override {
        ComPtr<IImage> whole;
        const HRESULT result = Whole(&whole);
        return FAILED(result) ? result : whole->Draw(dc, destination, source);
    }

protected:
    HRESULT Thumbnail(UINT width, UINT height, IImage** thumbnail) override {
        if (width <= width_ && height <= height_) return Shrink(width, height, thumbnail);
        ComPtr<IImage> whole;
        const HRESULT result = Whole(&whole);
        return FAILED(result) ? result : whole->GetThumbnail(width, height, thumbnail);
    }

private:
    // The whole picture as 32-bit pixels; 24-bit rows are widened in place from the end backwards.
    HRESULT Whole(IImage** image) {
        const size_t count = size_t{width_} * height_;
        std::vector<BYTE> pixels(count * 4);
        const HRESULT result =
            source_->CopyPixels(nullptr, width_ * channels_, UINT(count * channels_), pixels.data());
        if (FAILED(result)) return result;
        if (channels_ == 3) {
            for (size_t i = count; i-- > 0;) {
                pixels[i * 4 + 3] = 0xFF;
                pixels[i * 4 + 2] = pixels[i * 3 + 2];
                pixels[i * 4 + 1] = pixels[i * 3 + 1];
                pixels[i * 4] = pixels[i * 3];
            }
        }
        *image = new PixelImage(width_, height_, std::move(pixels));
        return S_OK;
    }

    // Each target pixel averages the source area it covers, as PixelImage does. A source row adds to
    // at most two target rows, the one being summed and the next.
    HRESULT Shrink(UINT width, UINT height, IImage** thumbnail) {
        constexpr UINT StripRows = 16;
        const UINT n = channels_;
        const std::vector<Share> columns = Shares(width_, width), rows = Shares(height_, height);
        std::vector<float> now(size_t{width} * n), next(size_t{width} * n), row(size_t{width} * n);
        std::vector<BYTE> strip(size_t{width_} * n * StripRows);
        std::vector<BYTE> pixels(size_t{width} * height * 4);
        UINT current = 0;
        const auto emit = [&] {
            BYTE* out = &pixels[size_t{current} * width * 4];
            for (size_t i = 0; i < width; ++i, out += 4) {
                for (UINT c = 0; c < n; ++c) {
                    const float value = now[i * n + c] + 0.5f;
                    out[c] = BYTE(value < 0 ? 0 : value > 255 ? 255 : value);
                }
                if (n == 3) out[3] = 0xFF;
            }
            now.swap(next);
            std::fill(next.begin(), next.end(), 0.0f);
            ++current;
        };
        for (UINT top = 0; top < height_; top += StripRows) {
            const UINT count = top + StripRows <= height_ ? StripRows : height_ - top;
            const WICRect rect = {0, INT(top), INT(width_), INT(count)};
            const HRESULT result = source_->CopyPixels(&rect, width_ * n, UINT(strip.size()), strip.data());
            if (FAILED(result)) return result;
            for (UINT r = 0; r < count; ++r) {
                std::fill(row.begin(), row.end(), 0.0f);
                const BYTE* pixel = &strip[size_t{r} * width_ * n];
                for (UINT x = 0; x < width_; ++x, pixel += n) {
                    const Share& share = columns[x];
                    float* first = &row[size_t{share.First} * n];
                    for (UINT c = 0; c < n; ++c) first[c] += share.FirstWeight * pixel[c];
                    if (share.SecondWeight > 0)
                        for (UINT c = 0; c < n; ++c) first[n + c] += share.SecondWeight * pixel[c];
                }
                const Share& share = rows[top + r];
                while (current < share.First) emit();
                for (size_t i = 0; i < row.size(); ++i) now[i] += share.FirstWeight * row[i];
                if (share.SecondWeight > 0)
                    for (size_t i = 0; i < row.size(); ++i) next[i] += share.SecondWeight * row[i];
            }
        }
        while (current < height) emit();
        *thumbnail = new PixelImage(width, height, std::move(pixels));
        return S_OK;
    }

    std::vector<BYTE> bytes_; // what the stream reads from
    IWICStream* stream_;
    IWICBitmapDecoder* decoder_;
    IWICBitmapSource* source_; // the frame, or a converter reading it
    const UINT channels_;      // 3: BGR; 4: premultiplied BGRA
};

class WicImagingFactory final : public ComObject<IImagingFactory> {
public:
    explicit WicImagingFactory(IWICImagingFactory* wic) : wic_(wic) {}
    ~WicImagingFactory() override { wic_->Release(); }

    HRESULT STDMETHODCALLTYPE CreateImageFromStream(IStream* stream, IImage** image) override {
        if (!stream || !image) return E_POINTER;
        *image = nullptr;
        std::vector<BYTE> bytes;
        BYTE chunk[16384];
        ULONG read = 0;
        while (SUCCEEDED(stream->Read(chunk, sizeof chunk, &read)) && read) {
            if (bytes.size() + read > StreamPictureLimits.EncodedBytes) return PictureTooLarge;
            bytes.insert(bytes.end(), chunk, chunk + read);
            if (read < sizeof chunk) break;
        }
        return DecodeBytes(bytes, StreamPictureLimits, image);
    }

    HRESULT STDMETHODCALLTYPE CreateImageFromFile(const wchar_t* path, IImage** image) override {
        if (!path || !image) return E_POINTER;
        *image = nullptr;
        HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return HRESULT_FROM_WIN32(GetLastError());
        LARGE_INTEGER size = {};
        std::vector<BYTE> bytes;
        DWORD read = 0;
        bool whole = GetFileSizeEx(file, &size);
        if (whole && UINT64(size.QuadPart) > FilePictureLimits.EncodedBytes) {
            CloseHandle(file);
            return PictureTooLarge;
        }
        if (whole) {
            bytes.resize(size_t(size.QuadPart));
            whole = bytes.empty() || (ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr) &&
                                      read == bytes.size());
        }
        CloseHandle(file);
        return whole ? DecodeBytes(bytes, FilePictureLimits, image) : E_FAIL;
    }

protected:
    const IID& Identity() const override { return IID_IImagingFactory; }

private:
    // The decoders read from a copy in memory, whose stream refuses to seek past its end however
    // damaged the picture's offsets are. Only pictures whose header the limits allow reach them.
    HRESULT DecodeBytes(std::vector<BYTE>& bytes, const PictureLimits& limits, IImage** image) {
        if (bytes.empty()) return E_INVALIDARG;
        const PictureHeader header = ReadPictureHeader(bytes.data(), bytes.size());
        if (header.Format == PictureFormat::Unknown) return WINCODEC_ERR_UNKNOWNIMAGEFORMAT;
        if (!header.Width) return WINCODEC_ERR_BADHEADER;
        if (header.Pixels > limits.Pixels || header.DecodedBytes > limits.DecodedBytes)
            return PictureTooLarge;
        ComPtr<IWICStream> stream;
        ComPtr<IWICBitmapDecoder> decoder;
        HRESULT result = wic_->CreateStream(&stream);
        if (SUCCEEDED(result)) result = stream->InitializeFromMemory(bytes.data(), DWORD(bytes.size()));
        if (SUCCEEDED(result))
            result =
                wic_->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand, &decoder);
        return FAILED(result) ? result : Decode(bytes, limits, stream.p, decoder.p, image);
    }

    HRESULT Decode(std::vector<BYTE>& bytes, const PictureLimits& limits, IWICStream* stream,
                   IWICBitmapDecoder* decoder, IImage** image) {
        ComPtr<IWICBitmapFrameDecode> frame;
        HRESULT result = decoder->GetFrame(0, &frame);
        UINT width = 0, height = 0;
        WICPixelFormatGUID format = {};
        if (SUCCEEDED(result)) result = frame->GetSize(&width, &height);
        if (SUCCEEDED(result)) result = frame->GetPixelFormat(&format);
        if (FAILED(result)) return result;
        if (!width || !height) return E_INVALIDARG;
        if (UINT64{width} * height > limits.Pixels) return PictureTooLarge;
        if (format == GUID_WICPixelFormat24bppBGR) {
            *image = new FrameImage(std::move(bytes), stream, decoder, frame.p, 3, width, height);
            return S_OK;
        }
        ComPtr<IWICFormatConverter> converter;
        result = wic_->CreateFormatConverter(&converter);
        if (SUCCEEDED(result))
            result = converter->Initialize(frame.p, PremultipliedBgra, WICBitmapDitherTypeNone, nullptr, 0,
                                           WICBitmapPaletteTypeCustom);
        if (FAILED(result)) return result;
        *image = new FrameImage(std::move(bytes), stream, decoder, converter.p, 4, width, height);
        return S_OK;
    }

    IWICImagingFactory* wic_;
};

} // namespace

HRESULT CreateImagingFactory(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IImagingFactory) return E_NOINTERFACE;
    IWICImagingFactory* wic = nullptr;
    const HRESULT result = ::CoCreateInstance(WicFactoryClass, nullptr, CLSCTX_INPROC_SERVER,
                                              __uuidof(IWICImagingFactory), reinterpret_cast<void**>(&wic));
    if (FAILED(result)) return result;
    *object = static_cast<IImagingFactory*>(new WicImagingFactory(wic));
    return S_OK;
}

} // namespace platform
