#pragma once
// Narrows a comic's front page to the URL of its current strip by fixed text markers.
//
// A character here is one byte of the text as the program holds it: the page body exactly as the
// server sent it (UTF-8 or any single-byte code page alike). Positions count those bytes, from 1.
#include <string>
#include <string_view>

namespace dromix {

// The markers as stored, with "~" standing for each double quote.
inline constexpr std::string_view kStripTagMarker = "=~Latest Strip~";
inline constexpr std::string_view kSourceMarker = "SRC=~";
inline constexpr std::string_view kSourceEndMarker = "~>";

// A copy of `text` with every "~" replaced by a double quote.
std::string TildeToQuote(std::string_view text);

// `text` becomes its part right after the first occurrence of `marker`, or empty when there is none.
void SkipPast(std::string& text, std::string_view marker);

// `text` becomes its part before the first occurrence of `marker`, or empty when there is none.
// The match position is held as a signed 16-bit value: beyond 32767 it raises OverflowError.
void CutBefore(std::string& text, std::string_view marker);

// Narrows a page's text to the strip URL in place; empty when any marker is missing.
void LocateStrip(std::string& page);

}  // namespace dromix
