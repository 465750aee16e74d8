#include "strip_locator.h"

#include <cstdint>
#include <limits>

#include "errors.h"

namespace dromix {

std::string TildeToQuote(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c == '~') c = '"';
    }
    return result;
}

void SkipPast(std::string& text, std::string_view marker) {
    const std::size_t at = text.find(marker);
    if (at == std::string::npos) {
        text.clear();
        return;
    }
    text.erase(0, at + marker.size());
}

void CutBefore(std::string& text, std::string_view marker) {
    const std::size_t at = text.find(marker);
    if (at == std::string::npos) {
        text.clear();
        return;
    }
    // The 1-based position must fit a signed 16-bit integer.
    if (at + 1 > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
        throw OverflowError();
    }
    text.resize(at);
}

void LocateStrip(std::string& page) {
    SkipPast(page, TildeToQuote(kStripTagMarker));
    SkipPast(page, TildeToQuote(kSourceMarker));
    CutBefore(page, TildeToQuote(kSourceEndMarker));
}

}  // namespace dromix
