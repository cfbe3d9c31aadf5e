#pragma once
// Decoding contact pictures and skin files into plain bitmaps, scaled to fit a box while decoding.
#include "foundation/WString.h"
#include "platform/ImagingFactory.h"

#include <windows.h>

// Fit modes of FitSize and DecodeStreamFitted; any other value means no scaling.
constexpr int FitInside = 1;
constexpr int FitCover = 2;

// The process-wide imaging factory, created on first use and kept until the process ends; null when
// it cannot be created. The caller does not release it.
IImagingFactory* GetImagingFactory();

// Scales width x height, keeping the aspect ratio, to fit inside (mode 1) or cover (mode 2) the box.
// Without a box, or in another mode, the size is left alone. A zero width or height goes through the
// same formula, where MulDiv's -1 for a division by zero stands: a zero-width picture fits inside as
// 0 x box height, and so on.
void FitSize(int mode, int boxWidth, int boxHeight, int& width, int& height);

// Decodes a picture from the start of stream, scaled by FitSize when a mode and a box are given. The
// caller releases the image with Release(). Null on any failure, including an empty stream; then, when
// problem is given and the stream held bytes, it says what was wrong, for the error log.
IImage* DecodeStreamFitted(IImagingFactory* factory, IStream* stream, int mode, int boxWidth, int boxHeight,
                           WString* problem = nullptr);

// Decodes a picture file into a bitmap the caller deletes with DeleteObject; null on any failure; then,
// when problem is given and the file exists, it says what was wrong.
HBITMAP DecodeFile(IImagingFactory* factory, const wchar_t* path, WString* problem = nullptr);

// What a failure of the imaging factory or of a picture's decoder means, in words: "not a JPEG, PNG,
// GIF or BMP picture", "too large for the memory a picture may take" (platform::PictureLimits),
// "damaged or unreadable (0x...)".
WString DescribePictureFailure(HRESULT result);

// Draws image into a new bottom-up DIB section of the screen's colour depth (at least 16 bits per
// pixel); the caller deletes it with DeleteObject. Null on failure.
HBITMAP ImageToBitmap(IImagingFactory* factory, IImage* image);
