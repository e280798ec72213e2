#include "app/win32/window_fonts.h"

#include <cwchar>
#include <string>

#include "base/gbk.h"
#include "base/win32/wide_text.h"

namespace velmora {

namespace {

// `pixel_height` is the character height (the cell height minus its internal leading),
// which a negative height asks the font mapper for.
UniqueFont label_font(Utf8Literal face, int pixel_height, int weight, bool underline) {
    LOGFONTW description{};
    description.lfHeight = -pixel_height;
    description.lfWeight = weight;
    description.lfUnderline = underline ? TRUE : FALSE;
    description.lfCharSet = GB2312_CHARSET;
    description.lfOutPrecision = OUT_DEFAULT_PRECIS;
    description.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    description.lfQuality = DEFAULT_QUALITY;
    description.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    const std::wstring name = wide_text(gbk(face));
    std::wcsncpy(description.lfFaceName, name.c_str(), LF_FACESIZE - 1);
    return UniqueFont(CreateFontIndirectW(&description));
}

UniqueFont dialog_font() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return UniqueFont(CreateFontIndirectW(&metrics.lfMessageFont));
    }
    LOGFONTW fallback{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof fallback, &fallback);
    return UniqueFont(CreateFontIndirectW(&fallback));
}

}  // namespace

WindowFonts make_window_fonts() {
    return {label_font("微软雅黑", 16, FW_BOLD, false), label_font("微软雅黑 Light", 12, 290, true),
            dialog_font()};
}

}  // namespace velmora
