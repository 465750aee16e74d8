#include "picture_decoder.h"

#include <windows.h>
#include <wincodec.h>

#include <new>

#include "errors.h"
#include "handles.h"
#include "system_error.h"
#include "wide_text.h"

namespace dromix {
namespace {

[[noreturn]] void ThrowDecodeError(HRESULT result, const char* what) {
    switch (static_cast<unsigned long>(result)) {
    case static_cast<unsigned long>(WINCODEC_ERR_COMPONENTNOTFOUND):
    case static_cast<unsigned long>(WINCODEC_ERR_UNKNOWNIMAGEFORMAT):
        throw UpdateError("The file is not a picture that can be decoded");
    case static_cast<unsigned long>(WINCODEC_ERR_BADHEADER):
    case static_cast<unsigned long>(WINCODEC_ERR_BADIMAGE):
    case static_cast<unsigned long>(WINCODEC_ERR_BADSTREAMDATA):
    case static_cast<unsigned long>(WINCODEC_ERR_STREAMREAD):
    case static_cast<unsigned long>(WINCODEC_ERR_FRAMEMISSING):
        throw UpdateError("The picture is damaged and cannot be decoded");
    default:
        break;
    }
    ThrowSystemError(static_cast<DWORD>(result), std::string("The picture cannot be decoded (") + what + ")");
}

void Check(HRESULT result, const char* what) {
    if (FAILED(result)) ThrowDecodeError(result, what);
}

void CheckFileHasContent(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        ThrowLastError("Cannot read < " + WideToUtf8(path) + " >");
    }
    if (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0) throw UpdateError("The picture file is empty");
}

void CheckSize(UINT width, UINT height) {
    if (width == 0 || height == 0) throw UpdateError("The picture is empty");
    if (width > kMaxPictureSide || height > kMaxPictureSide ||
        std::uint64_t{width} * height > kMaxPicturePixels) {
        throw UpdateError("The picture is too large (" + std::to_string(width) + " x " + std::to_string(height) +
                          " pixels)");
    }
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

}  // namespace

Picture DecodePictureFile(const std::wstring& path) {
    CheckFileHasContent(path);
    // Apartment-threaded COM for this call. A thread that already runs COM in another mode is left
    // as it is: the imaging objects work in either apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const ScopeExit uninitialise([com] {
        if (SUCCEEDED(com)) CoUninitialize();
    });
    Check(com == RPC_E_CHANGED_MODE ? S_OK : com, "COM");

    ComPtr<IWICImagingFactory> factory;
    Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                           reinterpret_cast<void**>(factory.put())),
          "imaging component");
    ComPtr<IWICBitmapDecoder> decoder;
    const HRESULT opened = factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                              WICDecodeMetadataCacheOnDemand, decoder.put());
    // Some decoders (Wine's GIF) read the whole picture here: any failure but an unknown format
    // means a picture the decoder recognised and could not read.
    if (FAILED(opened)) {
        if (opened == E_OUTOFMEMORY) throw UpdateError("Not enough memory to convert the picture");
        if (opened == WINCODEC_ERR_COMPONENTNOTFOUND || opened == WINCODEC_ERR_UNKNOWNIMAGEFORMAT) {
            ThrowDecodeError(opened, "format");
        }
        ThrowDecodeError(WINCODEC_ERR_BADIMAGE, "format");
    }
    ComPtr<IWICBitmapFrameDecode> frame;
    Check(decoder->GetFrame(0, frame.put()), "frame");

    UINT width = 0;
    UINT height = 0;
    Check(frame->GetSize(&width, &height), "size");
    CheckSize(width, height);

    // Straight BGRA is the one target every decoder here converts to (24-bit BGR fails for indexed
    // pictures under Wine); the alpha is flattened afterwards.
    ComPtr<IWICFormatConverter> converter;
    Check(factory->CreateFormatConverter(converter.put()), "converter");
    Check(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                WICBitmapPaletteTypeCustom),
          "pixel format");

    Picture picture;
    picture.width = width;
    picture.height = height;
    const UINT stride = width * 4;
    // Near the size limit the pixels, the decoder's own buffers and the converter's together take
    // most of a 32-bit process's free address space: running out is a failure of this picture.
    try {
        picture.bgrx.resize(std::size_t{stride} * height);
    } catch (const std::bad_alloc&) {
        throw UpdateError(NotEnoughMemoryFor(width, height));
    }
    const HRESULT copied =
        converter->CopyPixels(nullptr, stride, static_cast<UINT>(picture.bgrx.size()), picture.bgrx.data());
    if (copied == E_OUTOFMEMORY) throw UpdateError(NotEnoughMemoryFor(width, height));
    Check(copied, "pixels");
    FlattenOverWhite(picture.bgrx);
    return picture;
}

}  // namespace dromix
