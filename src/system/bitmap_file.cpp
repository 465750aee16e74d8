#include "bitmap_file.h"

#include <new>
#include <vector>

#include "bmp_writer.h"
#include "errors.h"
#include "picture.h"

namespace dromix {
namespace {

// Collects WriteBmp's row-sized pieces into large writes.
class BufferedWriter {
public:
    BufferedWriter(const UniqueFile& file, const std::wstring& path) : file_(file), path_(path) {
        buffer_.reserve(kCapacity);
    }
    void Write(std::span<const std::uint8_t> piece) {
        if (buffer_.size() + piece.size() > kCapacity) Flush();
        if (piece.size() >= kCapacity) {
            FileAccess::WriteAll(file_, piece, path_);
        } else {
            buffer_.insert(buffer_.end(), piece.begin(), piece.end());
        }
    }
    void Flush() {
        FileAccess::WriteAll(file_, buffer_, path_);
        buffer_.clear();
    }

private:
    static constexpr std::size_t kCapacity = 256 * 1024;
    const UniqueFile& file_;
    const std::wstring& path_;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace

void SaveBitmapFile(const FileAccess& files, RowSource& rows, const std::wstring& target) {
    const std::wstring temporary = target + kUnfinishedBitmapSuffix;
    // Removed unless the move over the target took it.
    bool moved = false;
    const ScopeExit removeLeftover([&] {
        if (!moved) DeleteFileW(SystemPath(temporary).c_str());
    });
    try {
        UniqueFile file = files.Create(temporary);
        BufferedWriter writer(file, temporary);
        WriteBmp(rows, [&writer](std::span<const std::uint8_t> piece) { writer.Write(piece); });
        writer.Flush();
        FileAccess::Finish(file, temporary);
    } catch (const std::bad_alloc&) {  // the temporary file goes, the target stays as it was
        throw UpdateError(NotEnoughMemoryFor(rows.Width(), rows.Height()));
    }
    FileAccess::Replace(temporary, target);
    moved = true;
}

}  // namespace dromix
