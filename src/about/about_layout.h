#pragma once
// Where the About window's controls go, in pixels at a DPI: the fixed layout in twips, grown only
// where a text would not show whole on one line.
#include <windows.h>

namespace dromix {

// The client area in twips.
inline constexpr int kAboutClientWidthTwips = 5190;
inline constexpr int kAboutClientHeightTwips = 3015;

// The room each label's text needs, in pixels, measured with the label's font at the DPI.
struct AboutTextSizes {
    SIZE title, version, credit, url;
};

// Every control's box in client pixels (the frame's labels too), and the client size.
struct AboutLayout {
    SIZE client;
    RECT title, version, image, frame, credit, url, ok;
};

// A label keeps its box where its text fits and grows about its centre where it does not. The frame
// grows to the right, away from the icon, to hold its labels with their margins, and then centres
// them; the window widens as much as the frame or a row across it needs, and the rows across it
// (title, version, button) widen with it, so they stay centred.
AboutLayout LayOutAbout(unsigned dpi, const AboutTextSizes& texts);

}  // namespace dromix
