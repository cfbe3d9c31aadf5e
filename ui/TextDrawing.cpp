#include "ui/TextDrawing.h"

#include "ui/ScreenMetrics.h"

#include <algorithm>
#include <cwchar>

namespace {

constexpr int MaxDrawnCharacters = 256;

bool IsBreak(wchar_t c) {
    return c == L'\r' || c == L'\n';
}

// Advance of every character: the differences of the partial extents. Gives the line height too.
std::vector<int> MeasureAdvances(HDC dc, const wchar_t* text, int length, int& lineHeight) {
    std::vector<int> extents(length), advances(length);
    SIZE size = {};
    GetTextExtentExPointW(dc, text, length, 0, nullptr, extents.data(), &size);
    for (int i = 0; i < length; ++i) advances[i] = extents[i] - (i ? extents[i - 1] : 0);
    lineHeight = size.cy;
    return advances;
}

} // namespace

std::vector<TextLine> BreakLines(const wchar_t* text, int length, const int* advances, int width) {
    std::vector<TextLine> lines;
    TextLine line;
    int i = 0;
    while (i < length) {
        const wchar_t c = text[i];
        if (IsBreak(c)) {
            lines.push_back(line);
            // CR LF and LF CR are one break.
            i += i + 1 < length && IsBreak(text[i + 1]) && text[i + 1] != c ? 2 : 1;
            line = {i, 0, 0};
            if (i == length) lines.push_back(line);
            continue;
        }
        if (line.Count == 0 || line.Width + advances[i] <= width) {
            line.Count = i - line.Start + 1;
            line.Width += advances[i];
            ++i;
            continue;
        }
        int blank = i;
        while (blank > line.Start && text[blank] != L' ') --blank;
        const bool atBlank = blank > line.Start;
        line.Count = (atBlank ? blank : i) - line.Start;
        line.Width = 0;
        for (int k = line.Start; k < line.Start + line.Count; ++k) line.Width += advances[k];
        lines.push_back(line);
        line = {atBlank ? blank + 1 : i, 0, 0};
        if (line.Start > i) {
            i = line.Start; // the overflowing character was the blank: it is dropped
            continue;
        }
        for (int k = line.Start; k < i; ++k) line.Width += advances[k];
        line.Count = i - line.Start;
    }
    if (line.Count > 0) lines.push_back(line);
    return lines;
}

int DrawWrappedText(HDC dc, const WString& text, RECT& rect) {
    const int length = text.GetLength();
    if (length == 0) {
        rect.bottom = rect.top;
        return 0;
    }
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width < 1 || height < 1) return 0;
    int lineHeight = 0;
    const std::vector<int> advances = MeasureAdvances(dc, text, length, lineHeight);
    const std::vector<TextLine> lines = BreakLines(text, length, advances.data(), width);
    const int block = static_cast<int>(lines.size()) * lineHeight;
    int top = std::max(static_cast<int>(rect.top), static_cast<int>(rect.top + (height - block) / 2));
    RECT clip;
    GetClipBox(dc, &clip);
    IntersectRect(&clip, &clip, &rect);
    for (const TextLine& line : lines) {
        if (top + lineHeight > rect.bottom) break;
        if (top + lineHeight > clip.top && top < clip.bottom && line.Count > 0) {
            // A single character wider than the rectangle is drawn as it is, clipped.
            const int x = rect.left + (width - line.Width) / 2;
            ExtTextOutW(dc, x, top, ETO_CLIPPED, &clip, static_cast<const wchar_t*>(text) + line.Start,
                        std::min(line.Count, MaxDrawnCharacters), nullptr);
        }
        top += lineHeight;
    }
    return block;
}

int FitTextWithEllipsis(WString& text, int maxWidth, HDC dc) {
    const int length = text.GetLength();
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, length, &size);
    if (size.cx <= maxWidth) return 0;
    SIZE dot = {};
    GetTextExtentPoint32W(dc, L".", 1, &dot);
    std::vector<int> extents(length);
    GetTextExtentExPointW(dc, text, length, 0, nullptr, extents.data(), &size);
    const wchar_t* characters = text;
    int kept = length;
    while (kept > 0 && (extents[kept - 1] + 3 * dot.cx > maxWidth || JoinsPrevious(characters[kept]))) --kept;
    if (kept > 0) {
        text = text.Left(kept);
        text += L"...";
    } else {
        int first = 1;
        while (first < length && JoinsPrevious(characters[first])) ++first;
        text = text.Left(first);
    }
    return 1;
}

bool JoinsPrevious(wchar_t c) {
    if (c >= 0xDC00 && c <= 0xDFFF) return true;
    WORD type = 0;
    return c >= 0x300 && GetStringTypeW(CT_CTYPE3, &c, 1, &type) && (type & C3_NONSPACING);
}

int TextHeight(HFONT font) {
    HDC dc = ScreenDC ? ScreenDC : GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, L"A", 1, &size);
    SelectObject(dc, old);
    if (dc != ScreenDC) ReleaseDC(nullptr, dc);
    return size.cy;
}

HFONT CreatePointFont(const wchar_t* face, int points, int weight) {
    LOGFONTW font = {};
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof font, &font);
    const int dpi = ScreenMetrics.DpiY ? ScreenMetrics.DpiY : 96;
    font.lfHeight = -static_cast<int>(dpi * points / 72.0 + 0.5);
    // The desktop's system font is a fixed-size bitmap font: its width and character set would
    // distort the face or keep Cyrillic out.
    font.lfWidth = 0;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfWeight = weight;
    font.lfQuality = CLEARTYPE_QUALITY;
    wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    font.lfFaceName[LF_FACESIZE - 1] = 0;
    return CreateFontIndirectW(&font);
}
