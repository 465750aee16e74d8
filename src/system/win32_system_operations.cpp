#include "win32_system_operations.h"

#include <algorithm>

#include "bitmap_file.h"
#include "dpi.h"
#include "picture_decoder.h"
#include "system_error.h"
#include "path_join.h"
#include "user_folders.h"
#include "wide_text.h"

namespace dromix {
namespace {

void WriteWhole(const FileAccess& files, const std::wstring& path, const Bytes& bytes) {
    UniqueFile file = files.Create(path);
    FileAccess::WriteAll(file, bytes, path);
    if (!file.close()) ThrowLastError("Cannot write < " + WideToUtf8(path) + " >");
}

// The files a cycle writes, each with its place when its own is refused: the download goes to the
// user's temporary folder (Program Files refuses a standard user), the bitmap to the per-user data
// folder (so does the root of C:).
enum class CycleFile { Download, Bitmap };

std::wstring FallbackOf(CycleFile file, const std::wstring& path) {
    return JoinPath(file == CycleFile::Download ? TemporaryDirectory() : PerUserDataDirectory(),
                    std::wstring_view(FileNameOf(path)));
}

// Writes at `path`, or at its fallback when that place is refused. Returns the path written.
template <typename Write>
std::string WriteWithFallback(const std::string& path, CycleFile file, Write&& write) {
    const std::wstring wide = Utf8ToWide(path);
    try {
        write(wide);
        return path;
    } catch (const WriteRefused&) {
    }
    const std::wstring elsewhere = FallbackOf(file, wide);
    FileAccess::MakeFolder(DirectoryOf(elsewhere));
    write(elsewhere);
    return WideToUtf8(elsewhere);
}

// Makes the bitmap at `path` the wallpaper and stores the setting in the user profile, with no change
// broadcast; raises with the system's message on failure.
void SetDesktopWallpaper(const std::wstring& path) {
    std::string ansi;
    BOOL done = FALSE;
    if (WideToAnsi(path, ansi)) {
        done = SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, ansi.data(), SPIF_UPDATEINIFILE);
    } else {
        // A per-user folder whose name has no ANSI form can only be named through the wide call.
        std::wstring wide = path;
        done = SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, wide.data(), SPIF_UPDATEINIFILE);
    }
    if (!done) ThrowLastError("Cannot set the wallpaper");
}

}  // namespace

void RemoveCycleLeftovers(const std::string& downloadPath, const std::string& bitmapPath) noexcept {
    const auto remove = [](CycleFile file, const std::wstring& path) {
        ::DeleteFileW(SystemPath(path).c_str());
        ::DeleteFileW(SystemPath(FallbackOf(file, path)).c_str());
    };
    // Without a folder's name there is nothing of ours to find in it.
    try {
        remove(CycleFile::Download, Utf8ToWide(downloadPath));
    } catch (...) {
    }
    try {
        remove(CycleFile::Bitmap, Utf8ToWide(bitmapPath) + kUnfinishedBitmapSuffix);
    } catch (...) {
    }
}

Win32SystemOperations::Win32SystemOperations(Options options)
    : http_(options.timeouts), files_(options.createFile) {}

Win32SystemOperations::~Win32SystemOperations() = default;

Page Win32SystemOperations::FetchPage(const std::string& url) {
    HttpResponse response = http_.Get(url, kPageLimit, "page");
    return {std::string(response.body.begin(), response.body.end()), std::move(response.url)};
}

Bytes Win32SystemOperations::FetchBytes(const std::string& url) {
    return http_.Get(url, kImageLimit, "image").body;
}

std::string Win32SystemOperations::ResolveUrl(const std::string& base, const std::string& relative) {
    return CombineUrl(base, relative);
}

std::string Win32SystemOperations::WriteFile(const std::string& path, const Bytes& bytes) {
    return WriteWithFallback(path, CycleFile::Download,
                             [&](const std::wstring& target) { WriteWhole(files_, target, bytes); });
}

void Win32SystemOperations::RemoveFile(const std::string& path) { FileAccess::Delete(Utf8ToWide(path)); }

Picture Win32SystemOperations::LoadPicture(const std::string& path) { return DecodePictureFile(Utf8ToWide(path)); }

// The monitor holding the screen's top left corner is the primary one, whose desktop the wallpaper
// fills (other monitors show it as the user's style places it).
Desktop Win32SystemOperations::ReadDesktop() {
    const HMONITOR monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) ThrowLastError("The screen's size cannot be read");
    const RECT& screen = info.rcMonitor;
    const RECT& work = info.rcWork;
    const COLORREF colour = GetSysColor(COLOR_DESKTOP);
    Desktop desktop;
    desktop.width = static_cast<std::uint32_t>(std::max(0L, screen.right - screen.left));
    desktop.height = static_cast<std::uint32_t>(std::max(0L, screen.bottom - screen.top));
    desktop.workArea = {work.left - screen.left, work.top - screen.top, work.right - screen.left,
                        work.bottom - screen.top};
    desktop.dpi = MonitorDpi(monitor);
    desktop.red = GetRValue(colour);
    desktop.green = GetGValue(colour);
    desktop.blue = GetBValue(colour);
    return desktop;
}

std::string Win32SystemOperations::SaveBitmap(RowSource& rows, const std::string& path) {
    return WriteWithFallback(path, CycleFile::Bitmap,
                             [&](const std::wstring& target) { SaveBitmapFile(files_, rows, target); });
}

void Win32SystemOperations::SetWallpaper(const std::string& path) { SetDesktopWallpaper(Utf8ToWide(path)); }

std::string Win32SystemOperations::WallpaperSetting() {
    wchar_t path[1024] = {};
    if (!SystemParametersInfoW(SPI_GETDESKWALLPAPER, 1024, path, 0)) return {};
    return WideToUtf8(path);
}

std::string Win32SystemOperations::ApplicationPath() { return WideToUtf8(ApplicationDirectory()); }

}  // namespace dromix
