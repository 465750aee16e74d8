#include "wide_text.h"

#include <windows.h>

#include <climits>
#include <cstdint>
#include <stdexcept>

namespace dromix {
namespace {

int CheckedLength(std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX)) throw std::length_error("The text is too long");
    return static_cast<int>(size);
}

// Bytes 0x80–0x9F as windows-1252 shows them. The five it leaves undefined would be C1 controls
// as they are: they show as U+FFFD, as every other control character in the log does.
constexpr wchar_t kWindows1252[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

// The length of the well-formed UTF-8 sequence at `at` (its code point in `point`), or 0.
std::size_t Utf8Sequence(std::string_view text, std::size_t at, std::uint32_t& point) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    std::uint32_t smallest = 0;
    if (lead < 0x80) {
        point = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, smallest = 0x80, point = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, smallest = 0x800, point = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, smallest = 0x10000, point = lead & 0x07u;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0u) != 0x80u) return 0;
        point = (point << 6) | (next & 0x3Fu);
    }
    if (point < smallest || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return 0;
    return length;
}

// Text that is not all UTF-8, as a page in another encoding gives: the UTF-8 sequences as they are,
// every other byte as its windows-1252 character, so the text stays readable.
std::wstring MixedToWide(std::string_view text) {
    std::wstring wide;
    wide.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        std::uint32_t point = 0;
        const std::size_t length = Utf8Sequence(text, at, point);
        if (length == 0) {
            const auto byte = static_cast<unsigned char>(text[at]);
            wide += byte >= 0x80 && byte < 0xA0 ? kWindows1252[byte - 0x80] : static_cast<wchar_t>(byte);
            ++at;
            continue;
        }
        if (point >= 0x10000) {
            point -= 0x10000;
            wide += static_cast<wchar_t>(0xD800 + (point >> 10));
            wide += static_cast<wchar_t>(0xDC00 + (point & 0x3FFu));
        } else {
            wide += static_cast<wchar_t>(point);
        }
        at += length;
    }
    return wide;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view text) {
    if (text.empty()) return {};
    const int length = CheckedLength(text.size());
    const int needed = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (needed <= 0) return MixedToWide(text);
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(), needed);
    return wide;
}

std::string WideToUtf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int length = CheckedLength(text.size());
    const int needed = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) throw std::range_error("The text cannot be converted to UTF-8");
    std::string narrow(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, narrow.data(), needed, nullptr, nullptr);
    return narrow;
}

bool WideToAnsi(std::wstring_view text, std::string& ansi) {
    ansi.clear();
    if (text.empty()) return true;
    const int length = CheckedLength(text.size());
    BOOL lossy = FALSE;
    const int needed =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0, nullptr, &lossy);
    if (needed <= 0 || lossy) return false;
    ansi.assign(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, ansi.data(), needed, nullptr,
                        &lossy);
    return !lossy;
}

}  // namespace dromix
