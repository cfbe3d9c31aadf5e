#include "companions/cprog/InCallLayout.h"

#include "ui/ScreenMetrics.h"

#include <algorithm>

namespace {

// Sizes at 96 dpi.
constexpr int Margin = 8;
constexpr int ButtonHeight = 28;
constexpr int ButtonColumnWidth = 96;
constexpr int TitleFont = 15;
constexpr int TextFont = 9;
constexpr int StatusLine = 14;
constexpr int TitleLine = 22;
constexpr int DetailLine = 14;
constexpr int LineGap = 6;

} // namespace

InCallLayout LayOutInCall(int width, int height, int dpi) {
    InCallLayout layout;
    layout.TitleFontHeight = ScalePx(TitleFont, dpi);
    layout.TextFontHeight = ScalePx(TextFont, dpi);
    const int margin = ScalePx(Margin, dpi);
    const int button = ScalePx(ButtonHeight, dpi);
    const int status = ScalePx(StatusLine, dpi), title = ScalePx(TitleLine, dpi),
              detail = ScalePx(DetailLine, dpi), gap = ScalePx(LineGap, dpi);
    const int block = status + gap + title + gap + detail;

    RECT text = {margin, margin, width - margin, height - margin};
    if (height - 4 * margin - button >= block) {
        layout.EndButton = {margin, height - margin - button, width - margin, height - margin};
        text.bottom = layout.EndButton.top - margin;
    } else {
        // Too low for the lines above the button: the button takes a column on the right.
        const int column = std::min(ScalePx(ButtonColumnWidth, dpi), width / 3);
        const int top = std::max(margin, (height - button) / 2);
        layout.EndButton = {width - margin - column, top, width - margin,
                            std::min(top + button, height - margin)};
        text.right = layout.EndButton.left - margin;
    }
    text.right = std::max(text.right, text.left);
    text.bottom = std::max(text.bottom, text.top);

    // A third of the spare room above the lines, the rest below; lines that do not fit are cut at the
    // bottom of the text area.
    const int top = text.top + std::max(0, (int(text.bottom - text.top) - block) / 3);
    const auto line = [&](int y, int lineHeight) {
        const LONG bottom = std::min<LONG>(y + lineHeight, text.bottom);
        return RECT{text.left, std::min<LONG>(y, bottom), text.right, bottom};
    };
    layout.Status = line(top, status);
    layout.Title = line(top + status + gap, title);
    layout.Detail = line(top + status + gap + title + gap, detail);
    return layout;
}
