#pragma once
// Pictures as the tests see them: a strip decoded with WIC directly, a bitmap file read by its headers,
// and the wallpaper the program should make of a strip for the desktop as the test reads it (its
// layout and scaling are the core's, tested on their own on the host).
#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "bmp_writer.h"
#include "handles.h"
#include "wallpaper_picture.h"

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

// The primary monitor and the desktop colour as this process reads them, at `dpi`.
inline Desktop DesktopAsSeen(std::uint32_t dpi = 96) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    const RECT& m = info.rcMonitor;
    const RECT& w = info.rcWork;
    const COLORREF colour = GetSysColor(COLOR_DESKTOP);
    return {static_cast<std::uint32_t>(m.right - m.left), static_cast<std::uint32_t>(m.bottom - m.top),
            {w.left - m.left, w.top - m.top, w.right - m.left, w.bottom - m.top}, dpi,
            GetRValue(colour), GetGValue(colour), GetBValue(colour)};
}

// The wallpaper of `strip` for `desktop`: the whole strip, placed and scaled as the program does it,
// the desktop colour around it.
inline Rgb Composed(const Rgb& strip, const Desktop& desktop) {
    Picture picture{strip.width, strip.height, {}};
    picture.Allocate();
    for (std::uint32_t y = 0; y < strip.height; ++y) {
        auto* row = const_cast<std::uint8_t*>(picture.Row(y));  // the picture's own, to fill
        for (std::size_t x = 0, at = std::size_t{y} * strip.width * 3; x < strip.width; ++x, at += 3) {
            row[x * 4] = strip.rgb[at + 2], row[x * 4 + 1] = strip.rgb[at + 1], row[x * 4 + 2] = strip.rgb[at];
        }
    }
    ComposedWallpaper wallpaper(picture, desktop);
    std::vector<std::uint8_t> file;
    WriteBmp(wallpaper, [&](std::span<const std::uint8_t> piece) { file.insert(file.end(), piece.begin(), piece.end()); });
    return ReadBmp(file).value_or(Rgb{});
}

}  // namespace dromix::e2e
