#include "picture_decoder.h"

#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include "errors.h"
#include "file_access.h"
#include "handles.h"
#include "picture_sniffer.h"
#include "system_error.h"
#include "system_operations.h"
#include "wide_text.h"

namespace dromix {
namespace {

[[noreturn]] void ThrowDecodeError(HRESULT result, const char* what) {
    switch (static_cast<unsigned long>(result)) {
    case static_cast<unsigned long>(WINCODEC_ERR_BADHEADER):
    case static_cast<unsigned long>(WINCODEC_ERR_BADIMAGE):
    case static_cast<unsigned long>(WINCODEC_ERR_BADSTREAMDATA):
    case static_cast<unsigned long>(WINCODEC_ERR_STREAMREAD):
    case static_cast<unsigned long>(WINCODEC_ERR_FRAMEMISSING):
        throw UpdateError(kDamagedPicture);
    default:
        break;
    }
    ThrowSystemError(static_cast<DWORD>(result), std::string("The picture cannot be decoded (") + what + ")");
}

void Check(HRESULT result, const char* what) {
    if (FAILED(result)) ThrowDecodeError(result, what);
}

// The whole file: the picture is sniffed from these bytes, and its decoder reads these same bytes.
std::vector<std::uint8_t> ReadPictureFile(const std::wstring& path) {
    const std::string name = "< " + WideToUtf8(path) + " >";
    const UniqueFile file(CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size)) ThrowLastError("Cannot read " + name);
    if (size.QuadPart > static_cast<LONGLONG>(kImageLimit)) {
        throw UpdateError("The picture file " + name + " is " + LargerThan(kImageLimit));
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    for (std::size_t at = 0; at < bytes.size();) {
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &read, nullptr)) {
            ThrowLastError("Cannot read " + name);
        }
        if (read == 0) throw UpdateError("The picture file " + name + " ended early");
        at += read;
    }
    return bytes;
}

// The system's built-in decoder of each format, never another codec registered for the same bytes.
const CLSID& DecoderOf(PictureFormat format) {
    switch (format) {
    case PictureFormat::Gif: return CLSID_WICGifDecoder;
    case PictureFormat::Jpeg: return CLSID_WICJpegDecoder;
    case PictureFormat::Png: break;
    }
    return CLSID_WICPngDecoder;
}

// BGRA with straight alpha → opaque BGRX over a white background.
void FlattenOverWhite(std::vector<std::uint8_t>& pixels) {
    for (std::size_t i = 0; i + 3 < pixels.size(); i += 4) {
        const unsigned alpha = pixels[i + 3];
        if (alpha != 255) {
            for (std::size_t c = 0; c < 3; ++c) {
                pixels[i + c] = static_cast<std::uint8_t>((pixels[i + c] * alpha + 255u * (255u - alpha) + 127u) / 255u);
            }
        }
        pixels[i + 3] = 255;
    }
}


// The first frame of `bytes` as straight BGRA, through the system's decoder of `format`, and its size.
// The converter keeps the decoder and its stream alive; `bytes` must outlive it.
ComPtr<IWICFormatConverter> OpenFirstFrame(const std::vector<std::uint8_t>& bytes, const PictureHeader& header,
                                           UINT& width, UINT& height) {
    ComPtr<IWICImagingFactory> factory;
    Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                           reinterpret_cast<void**>(factory.put())),
          "imaging component");
    ComPtr<IWICStream> stream;
    Check(factory->CreateStream(stream.put()), "stream");
    Check(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size())), "stream");
    ComPtr<IWICBitmapDecoder> decoder;
    Check(CoCreateInstance(DecoderOf(header.format), nullptr, CLSCTX_INPROC_SERVER, IID_IWICBitmapDecoder,
                           reinterpret_cast<void**>(decoder.put())),
          "decoder");
    // Some decoders (Wine's GIF and PNG) read the whole picture here: the format is known to be
    // theirs, so any failure but running out of memory is damage.
    const HRESULT opened = decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand);
    if (opened == E_OUTOFMEMORY) throw UpdateError(NotEnoughMemoryFor(header.width, header.height));
    if (FAILED(opened)) throw UpdateError(kDamagedPicture);
    ComPtr<IWICBitmapFrameDecode> frame;
    Check(decoder->GetFrame(0, frame.put()), "frame");
    Check(frame->GetSize(&width, &height), "size");
    // Straight BGRA is the one target every decoder here converts to (24-bit BGR fails for indexed
    // pictures under Wine); the alpha is flattened afterwards.
    ComPtr<IWICFormatConverter> converter;
    Check(factory->CreateFormatConverter(converter.put()), "converter");
    Check(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                WICBitmapPaletteTypeCustom),
          "pixel format");
    return converter;
}

// The frame's `width` x `height` pixels into the picture's bands at the header's offset, white where
// they do not reach, a band at a time.
void CopyIntoBands(IWICFormatConverter& frame, UINT width, UINT height, const PictureHeader& header,
                   Picture& picture) {
    const UINT stride = picture.width * 4;
    const UINT rows = Picture::BandRows(picture.width);
    for (std::size_t band = 0; band < picture.bands.size(); ++band) {
        std::vector<std::uint8_t>& pixels = picture.bands[band];
        std::fill(pixels.begin(), pixels.end(), std::uint8_t{0xFF});
        // The band's rows from `first` on, and those of them the frame covers.
        const UINT first = static_cast<UINT>(band * rows);
        const UINT from = std::max(first, header.top);
        const UINT to = std::min(first + static_cast<UINT>(pixels.size() / stride), header.top + height);
        if (from < to) {
            const std::size_t at = std::size_t{from - first} * stride + std::size_t{header.left} * 4;
            const WICRect rect{0, static_cast<INT>(from - header.top), static_cast<INT>(width),
                               static_cast<INT>(to - from)};
            const HRESULT copied =
                frame.CopyPixels(&rect, stride, static_cast<UINT>(pixels.size() - at), pixels.data() + at);
            if (copied == E_OUTOFMEMORY) throw UpdateError(NotEnoughMemoryFor(picture.width, picture.height));
            Check(copied, "pixels");
        }
        FlattenOverWhite(pixels);
    }
}

}  // namespace

Picture DecodePictureFile(const std::wstring& path) {
    std::vector<std::uint8_t> bytes = ReadPictureFile(path);
    const PictureHeader header = SniffPicture(bytes);
    const bool gif = header.format == PictureFormat::Gif;
    if (gif) {  // its first image alone, then the trailer
        bytes.resize(header.firstImageEnd);
        bytes.push_back(0x3B);
    }

    // The cycle's worker never pumps messages, so it joins the multithreaded apartment: a
    // single-threaded one needs a message loop, and the imaging objects work in either. A thread that
    // already runs COM in the other mode is left as it is.
    const ComApartment com(COINIT_MULTITHREADED);
    Check(com.result() == RPC_E_CHANGED_MODE ? S_OK : com.result(), "COM");
    UINT width = 0;
    UINT height = 0;
    const ComPtr<IWICFormatConverter> frame = OpenFirstFrame(bytes, header, width, height);
    // The pixel buffer is sized by what the decoder reports, so that is held to the limits too; a
    // GIF's image goes on the canvas the sniff held to them, and must lie within it.
    CheckPictureSize(width, height);
    Picture picture{gif ? header.width : width, gif ? header.height : height, {}};
    if (header.left + width > picture.width || header.top + height > picture.height) {
        throw UpdateError(kDamagedPicture);
    }
    // Near the size limit the pixels, the decoder's own buffers and the converter's together take
    // most of a 32-bit process's free address space: running out is a failure of this picture.
    try {
        picture.Allocate();
    } catch (const std::bad_alloc&) {
        throw UpdateError(NotEnoughMemoryFor(picture.width, picture.height));
    }
    CopyIntoBands(*frame.get(), width, height, header, picture);
    return picture;
}

}  // namespace dromix
