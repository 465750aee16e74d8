#include "about_layout.h"

#include <algorithm>

#include "dpi.h"

namespace dromix {
namespace {

constexpr TwipsBox kTitleBox{240, 240, 4695, 375};
constexpr TwipsBox kVersionBox{240, 720, 4695, 255};
constexpr TwipsBox kImageBox{240, 1200, 1020, 1020};
constexpr TwipsBox kFrameBox{1440, 1080, 3495, 1215};
constexpr TwipsBox kCreditInFrame{120, 240, 3255, 255};
constexpr TwipsBox kUrlInFrame{1050, 720, 1410, 240};
constexpr TwipsBox kOkBox{240, 2400, 4695, 375};
// The least room between a label and the frame's sides: the credit line's own margin.
constexpr int kFrameMarginTwips = 120;

constexpr TwipsBox InFrame(const TwipsBox& box) {
    return {kFrameBox.left + box.left, kFrameBox.top + box.top, box.width, box.height};
}

long Width(const RECT& r) { return r.right - r.left; }

// Grows `low`..`high` about its middle to at least `needed`; true when it grew.
bool GrowAboutMiddle(LONG& low, LONG& high, long needed) {
    const long grow = needed - (high - low);
    if (grow <= 0) return false;
    low -= grow / 2;
    high += grow - grow / 2;
    return true;
}

void CentreAcross(RECT& box, const RECT& within) {
    const long width = Width(box);
    box.left = within.left + (Width(within) - width) / 2;
    box.right = box.left + width;
}

}  // namespace

AboutLayout LayOutAbout(unsigned dpi, const AboutTextSizes& texts) {
    AboutLayout layout{};
    layout.client = {TwipsToPixels(kAboutClientWidthTwips, dpi), TwipsToPixels(kAboutClientHeightTwips, dpi)};
    layout.title = BoxToPixels(kTitleBox, dpi);
    layout.version = BoxToPixels(kVersionBox, dpi);
    layout.image = BoxToPixels(kImageBox, dpi);
    layout.frame = BoxToPixels(kFrameBox, dpi);
    layout.credit = BoxToPixels(InFrame(kCreditInFrame), dpi);
    layout.url = BoxToPixels(InFrame(kUrlInFrame), dpi);
    layout.ok = BoxToPixels(kOkBox, dpi);

    // Each label at least as tall as its text, about its middle.
    GrowAboutMiddle(layout.title.top, layout.title.bottom, texts.title.cy);
    GrowAboutMiddle(layout.version.top, layout.version.bottom, texts.version.cy);
    GrowAboutMiddle(layout.credit.top, layout.credit.bottom, texts.credit.cy);
    GrowAboutMiddle(layout.url.top, layout.url.bottom, texts.url.cy);

    // The frame's labels, and the frame wide enough for them.
    const long margin = TwipsToPixels(kFrameMarginTwips, dpi);
    const bool creditGrew = GrowAboutMiddle(layout.credit.left, layout.credit.right, texts.credit.cx);
    const bool urlGrew = GrowAboutMiddle(layout.url.left, layout.url.right, texts.url.cx);
    const long frameWidth = std::max({Width(layout.frame), Width(layout.credit) + 2 * margin,
                                      Width(layout.url) + 2 * margin});
    const bool frameGrew = frameWidth > Width(layout.frame);
    layout.frame.right = layout.frame.left + frameWidth;
    if (creditGrew || frameGrew) CentreAcross(layout.credit, layout.frame);
    if (urlGrew || frameGrew) CentreAcross(layout.url, layout.frame);

    // The window as wide as the frame with its right margin, or a row across it with its margins.
    const long rightMargin = layout.client.cx - TwipsToPixels(kFrameBox.left + kFrameBox.width, dpi);
    const long sideMargin = layout.title.left;
    const long clientWidth = std::max({static_cast<long>(layout.client.cx), layout.frame.right + rightMargin,
                                       texts.title.cx + 2 * sideMargin, texts.version.cx + 2 * sideMargin});
    const long widen = clientWidth - layout.client.cx;
    layout.client.cx = clientWidth;
    layout.title.right += widen;
    layout.version.right += widen;
    layout.ok.right += widen;
    return layout;
}

}  // namespace dromix
