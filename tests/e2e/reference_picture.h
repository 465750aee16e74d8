#pragma once
// Pictures as the tests see them, independent of the program's own code: a strip decoded with WIC
// directly, a bitmap file read by its headers, and the check that a bitmap is the wallpaper showing a
// strip whole.
#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "handles.h"

namespace dromix::e2e {

// Top-down rows of red, green, blue bytes.
struct Rgb {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rgb;
    bool operator==(const Rgb&) const = default;
};

// The first frame of a picture file, laid over white where it is transparent, as WIC decodes it.
inline std::optional<Rgb> DecodeWithWic(const std::wstring& path) {
    const ComApartment com(COINIT_APARTMENTTHREADED);
    std::optional<Rgb> result;
    {
        ComPtr<IWICImagingFactory> factory;
        ComPtr<IWICBitmapDecoder> decoder;
        ComPtr<IWICBitmapFrameDecode> frame;
        ComPtr<IWICFormatConverter> converter;
        UINT width = 0, height = 0;
        if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IWICImagingFactory, reinterpret_cast<void**>(factory.put()))) &&
            SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                         WICDecodeMetadataCacheOnDemand, decoder.put())) &&
            SUCCEEDED(decoder->GetFrame(0, frame.put())) && SUCCEEDED(factory->CreateFormatConverter(converter.put())) &&
            SUCCEEDED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                            nullptr, 0.0, WICBitmapPaletteTypeCustom)) &&
            SUCCEEDED(converter->GetSize(&width, &height))) {
            std::vector<std::uint8_t> bgra(std::size_t{width} * height * 4);
            if (SUCCEEDED(converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(bgra.size()), bgra.data()))) {
                Rgb picture{width, height, {}};
                picture.rgb.reserve(std::size_t{width} * height * 3);
                for (std::size_t i = 0; i < bgra.size(); i += 4) {
                    const unsigned alpha = bgra[i + 3];
                    for (int c : {2, 1, 0}) {  // over white
                        picture.rgb.push_back(
                            static_cast<std::uint8_t>((bgra[i + static_cast<std::size_t>(c)] * alpha + 255u * (255u - alpha) + 127u) / 255u));
                    }
                }
                result = std::move(picture);
            }
        }
    }
    return result;
}

// `picture` at width x height no larger than its own, each pixel the average of the part of the
// picture it covers, each source pixel weighted by its share of that area: a strip shown smaller.
inline Rgb AreaAverage(const Rgb& picture, std::uint32_t width, std::uint32_t height) {
    const double sx = static_cast<double>(picture.width) / width;
    const double sy = static_cast<double>(picture.height) / height;
    Rgb result{width, height, std::vector<std::uint8_t>(std::size_t{width} * height * 3)};
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            double sum[3] = {};
            for (auto j = static_cast<std::uint32_t>(y * sy); j < picture.height && j < (y + 1) * sy; ++j) {
                const double along = std::min<double>(j + 1, (y + 1) * sy) - std::max<double>(j, y * sy);
                for (auto i = static_cast<std::uint32_t>(x * sx); i < picture.width && i < (x + 1) * sx; ++i) {
                    const double share = along * (std::min<double>(i + 1, (x + 1) * sx) - std::max<double>(i, x * sx));
                    for (std::size_t c = 0; c < 3; ++c) sum[c] += share * picture.rgb[(std::size_t{j} * picture.width + i) * 3 + c];
                }
            }
            for (std::size_t c = 0; c < 3; ++c) {
                result.rgb[(std::size_t{y} * width + x) * 3 + c] = static_cast<std::uint8_t>(sum[c] / (sx * sy) + 0.5);
            }
        }
    }
    return result;
}

// A BMP file of 24 or 32 bits a pixel without compression, read by its headers; nullopt for
// anything else or a file whose size does not match them.
inline std::optional<Rgb> ReadBmp(const std::vector<std::uint8_t>& file) {
    auto u16 = [&](std::size_t at) { return static_cast<std::uint32_t>(file[at] | file[at + 1] << 8); };
    auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    if (file.size() < 54 || file[0] != 'B' || file[1] != 'M' || u32(2) != file.size()) return std::nullopt;
    const std::uint32_t offset = u32(10);
    const std::int32_t width = static_cast<std::int32_t>(u32(18));
    const std::int32_t rawHeight = static_cast<std::int32_t>(u32(22));
    const std::uint32_t bits = u16(28);
    if (u32(14) < 40 || u16(26) != 1 || (bits != 24 && bits != 32) || u32(30) != 0 || width <= 0 || rawHeight == 0) {
        return std::nullopt;
    }
    const bool bottomUp = rawHeight > 0;
    const std::uint32_t height = static_cast<std::uint32_t>(bottomUp ? rawHeight : -rawHeight);
    const std::size_t stride = (static_cast<std::size_t>(width) * bits / 8 + 3) & ~std::size_t{3};
    if (offset + stride * height != file.size()) return std::nullopt;
    Rgb picture{static_cast<std::uint32_t>(width), height, {}};
    picture.rgb.reserve(std::size_t{picture.width} * height * 3);
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::size_t row = offset + stride * (bottomUp ? height - 1 - y : y);
        for (std::uint32_t x = 0; x < picture.width; ++x) {
            const std::size_t at = row + std::size_t{x} * (bits / 8);
            picture.rgb.insert(picture.rgb.end(), {file[at + 2], file[at + 1], file[at]});
        }
    }
    return picture;
}

// The primary monitor as a program sees it, and the desktop colour.
struct Screen {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    RECT work{};  // relative to the screen's top left corner
    std::uint8_t colour[3] = {};  // red, green, blue
};

Screen PrimaryScreen() {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    const COLORREF colour = GetSysColor(COLOR_DESKTOP);
    const RECT& m = info.rcMonitor;
    return {static_cast<std::uint32_t>(m.right - m.left), static_cast<std::uint32_t>(m.bottom - m.top),
            {info.rcWork.left - m.left, info.rcWork.top - m.top, info.rcWork.right - m.left, info.rcWork.bottom - m.top},
            {GetRValue(colour), GetGValue(colour), GetBValue(colour)}};
}

// `bitmap` is the wallpaper for `screen` with the whole of `strip` in it: the screen's size, and the
// desktop colour all around one rectangle (returned) that is centred in the work area, in the strip's
// proportion, and holds the strip; shown smaller, each pixel within 2 of the strip's area average.
RECT ExpectShownWhole(const Rgb& bitmap, const Rgb& strip, const Screen& screen) {
    EXPECT_EQ(bitmap.width, screen.width);
    EXPECT_EQ(bitmap.height, screen.height);
    LONG left = LONG_MAX, top = LONG_MAX, right = 0, bottom = 0;
    for (LONG y = 0; y < LONG(bitmap.height); ++y) {
        for (LONG x = 0; x < LONG(bitmap.width); ++x) {
            if (!std::equal(screen.colour, screen.colour + 3, &bitmap.rgb[(std::size_t(y) * bitmap.width + std::size_t(x)) * 3])) {
                left = std::min(left, x), right = std::max(right, x + 1);
                top = std::min(top, y), bottom = std::max(bottom, y + 1);
            }
        }
    }
    const RECT area{left, top, right, bottom};
    if (right <= left) {
        ADD_FAILURE() << "the bitmap is the desktop colour only";
        return area;
    }
    const LONG width = right - left, height = bottom - top;
    EXPECT_LE(std::labs(width * LONG(strip.height) - height * LONG(strip.width)), LONG(std::max(strip.width, strip.height)))
        << width << " x " << height << " is not in the strip's proportion";
    EXPECT_GE(left, screen.work.left);
    EXPECT_GE(top, screen.work.top);
    EXPECT_NEAR(left - screen.work.left, screen.work.right - right, 1) << "centred across the work area";
    EXPECT_NEAR(top - screen.work.top, screen.work.bottom - bottom, 1) << "centred down the work area";
    if (width <= LONG(strip.width)) {
        const Rgb expected = AreaAverage(strip, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
        int off = 0;
        for (LONG y = 0; y < height; ++y) {
            for (LONG x = 0; x < width; ++x) {
                for (std::size_t c = 0; c < 3; ++c) {
                    const int shown = bitmap.rgb[(std::size_t(top + y) * bitmap.width + std::size_t(left + x)) * 3 + c];
                    off += std::abs(shown - expected.rgb[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3 + c]) > 2;
                }
            }
        }
        EXPECT_EQ(off, 0) << "channels further than 2 from the strip's area average";
    }
    return area;
}

}  // namespace dromix::e2e
