// Fuzzes the strip locator on arbitrary page text: the three steps must agree with LocateStrip, and
// whatever comes out must really sit between the markers in the page.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "errors.h"
#include "strip_locator.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

std::size_t Count(const std::string& text, char c) {
    std::size_t n = 0;
    for (char x : text) n += x == c;
    return n;
}

// The steps one by one; the text after the first two steps is kept for the overflow check.
std::string StepByStep(const std::string& page, std::string& beforeCut, bool& overflow) {
    std::string text = page;
    dromix::SkipPast(text, dromix::TildeToQuote(dromix::kStripTagMarker));
    dromix::SkipPast(text, dromix::TildeToQuote(dromix::kSourceMarker));
    beforeCut = text;
    overflow = false;
    try {
        dromix::CutBefore(text, dromix::TildeToQuote(dromix::kSourceEndMarker));
    } catch (const dromix::OverflowError&) {
        overflow = true;
    }
    return text;
}

// SkipPast and CutBefore with a marker of the input's choosing: the first line, on the rest.
void ArbitraryMarker(const std::string& input) {
    const std::size_t newline = input.find('\n');
    if (newline == std::string::npos || newline > 16) return;
    const std::string marker = input.substr(0, newline);
    const std::string text = input.substr(newline + 1);

    std::string skipped = text;
    dromix::SkipPast(skipped, marker);
    Check(skipped.size() <= text.size());
    Check(text.compare(text.size() - skipped.size(), skipped.size(), skipped) == 0);  // a suffix
    if (!skipped.empty()) {
        const std::size_t at = text.size() - skipped.size() - marker.size();
        Check(text.compare(at, marker.size(), marker) == 0);
        Check(text.find(marker) == at);
    }

    std::string cut = text;
    try {
        dromix::CutBefore(cut, marker);
        Check(cut.size() <= 32766);
        Check(text.compare(0, cut.size(), cut) == 0);  // a prefix
        if (!cut.empty()) Check(text.find(marker) == cut.size());
    } catch (const dromix::OverflowError& e) {
        Check(text.find(marker) != std::string::npos && text.find(marker) >= 32767);
        Check(std::string(e.what()) == "Overflow");
    }

    const std::string quoted = dromix::TildeToQuote(text);
    Check(quoted.size() == text.size());
    Check(Count(quoted, '~') == 0);
    Check(Count(quoted, '"') == Count(text, '"') + Count(text, '~'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string page(reinterpret_cast<const char*>(data), size);

    std::string beforeCut;
    bool stepOverflow = false;
    const std::string stepped = StepByStep(page, beforeCut, stepOverflow);

    std::string located = page;
    bool overflow = false;
    try {
        dromix::LocateStrip(located);
    } catch (const dromix::OverflowError&) {
        overflow = true;
    }
    Check(overflow == stepOverflow);
    if (overflow) {
        Check(beforeCut.find("\">") >= 32767);
    } else {
        Check(located == stepped);
        Check(located.size() <= 32766);
        Check(located.find("\">") == std::string::npos);
        if (!located.empty()) {
            const std::size_t tag = page.find("=\"Latest Strip\"");
            Check(tag != std::string::npos);
            Check(page.find("SRC=\"" + located + "\">", tag) != std::string::npos);
        }
    }

    ArbitraryMarker(page);
    return 0;
}
