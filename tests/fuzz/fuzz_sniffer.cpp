// Fuzzes the picture sniffer on arbitrary bytes: it accepts only a GIF, JPEG or PNG within the limits,
// refuses with one of its own sentences, never reads past the bytes (ASan), and decides on what it
// has read alone: whatever a cut-off start of the input decides, short of "damaged", stands for the whole.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "errors.h"
#include "picture.h"
#include "picture_sniffer.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

struct Outcome {
    std::string error;  // empty when sniffed
    dromix::PictureHeader header{};
};

// Sniffs a copy of exactly `size` bytes, so that reading one more is a heap overflow.
Outcome Sniff(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    try {
        return {"", dromix::SniffPicture(bytes)};
    } catch (const dromix::UpdateError& e) {
        return {e.what(), {}};
    }
}

bool Known(const std::string& error) {
    return error == dromix::kDamagedPicture || error == dromix::kNotAcceptedFormat ||
           error.rfind(dromix::kUndecodableJpeg, 0) == 0 ||
           error == "The picture file is empty" || error == "The picture is empty" ||
           error.rfind("The picture is too large (", 0) == 0;
}

bool StartsWith(const std::uint8_t* data, std::size_t size, const std::string& signature) {
    return size >= signature.size() && std::string(data, data + signature.size()) == signature;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Outcome whole = Sniff(data, size);
    if (whole.error.empty()) {
        const dromix::PictureHeader& h = whole.header;
        Check(h.width > 0 && h.height > 0 && dromix::WithinPictureLimits(h.width, h.height));
        const bool gif = StartsWith(data, size, "GIF87a") || StartsWith(data, size, "GIF89a");
        const bool jpeg = StartsWith(data, size, "\xFF\xD8");
        const bool png = StartsWith(data, size, "\x89PNG\r\n\x1A\n");
        Check(h.format == dromix::PictureFormat::Gif ? gif : h.format == dromix::PictureFormat::Jpeg ? jpeg : png);
        // A GIF's first image ends within the bytes; the others have no end of their own.
        Check(h.format == dromix::PictureFormat::Gif ? h.firstImageEnd <= size : h.firstImageEnd == 0);
    } else {
        Check(Known(whole.error));
    }
    for (const std::size_t cut : {size / 2, size - (size > 0)}) {
        if (cut == 0 || cut == size) continue;
        const Outcome start = Sniff(data, cut);
        if (start.error == dromix::kDamagedPicture) continue;  // cut short: the rest may mend it
        Check(start.error == whole.error);
        Check(start.header == whole.header);
    }
    return 0;
}
