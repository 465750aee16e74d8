#include "update_cycle.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <new>

#include "errors.h"
#include "path_join.h"
#include "printable_text.h"
#include "strip_locator.h"
#include "wallpaper_picture.h"

namespace dromix {
namespace {

// The scheme of an absolute URL ("http" of "http://…"), or empty for a relative one.
std::string SchemeOf(std::string_view url) {
    const std::size_t colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0) return {};
    const std::string_view scheme = url.substr(0, colon);
    if (!std::isalpha(static_cast<unsigned char>(scheme.front()))) return {};
    const bool valid = std::all_of(scheme.begin(), scheme.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    });
    if (!valid) return {};
    std::string lower(scheme);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return lower;
}

bool HasControlCharacters(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

constexpr char kUnexpectedError[] = "An unexpected error ended the update";

// The cycle's one "Error: " line. Building it may itself fail (no memory): then nothing more can be said.
void ReportError(LogSink& log, const char* description, const char* detail = nullptr) noexcept {
    try {
        std::string line = "Error: ";
        line += description;
        if (detail != nullptr && *detail != '\0') line.append(" (").append(detail).append(")");
        log.AddLog(line);
    } catch (...) {
    }
}

// Windows compares its paths without regard to the case of their letters.
bool SamePath(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return lower(x) == lower(y);
           });
}

}  // namespace

std::string UpdateCycle::GetPath() { return WithTrailingBackslash(system_.ApplicationPath()); }

std::string UpdateCycle::TemporaryPath() { return GetPath() + std::string(kTempFileName); }

// Nothing escapes: every failure ends the cycle as one "Error: " line.
template <typename Steps>
void UpdateCycle::Guarded(Steps&& steps) noexcept {
    try {
        steps();
    } catch (const UpdateError& e) {
        ReportError(log_, e.what());
    } catch (const std::bad_alloc&) {
        ReportError(log_, kNotEnoughMemoryToUpdate);
    } catch (const std::exception& e) {
        // Not one of the cycle's own descriptions: a fixed sentence, the detail for whoever reads on.
        ReportError(log_, kUnexpectedError, e.what());
    } catch (...) {
        ReportError(log_, kUnexpectedError);
    }
}

void UpdateCycle::GetUpdate() noexcept {
    Guarded([this] { Run(); });
}

void UpdateCycle::Recompose() noexcept {
    Guarded([this] { RunRecompose(); });
}

void UpdateCycle::Run() {
    log_.AppendRaw("\r\n");
    const std::string temporaryPath = TemporaryPath();

    log_.AddLog("Opening < " + pageUrl_ + " >");
    const Page page = system_.FetchPage(pageUrl_);

    log_.AddLog("Locating image...");
    std::string strip = page.text;
    LocateStrip(strip);
    if (strip.empty()) {
        log_.AddLog("Unable to locate image");
        return;
    }
    if (strip == lastUrl_) {
        log_.AddLog("Image hasn't changed!");
        return;
    }
    // Stored before the download: a strip that fails is not tried again until the site changes.
    lastUrl_ = strip;

    const std::string url = DownloadUrl(strip, page.url);
    log_.AddLog("Downloading < " + Printable(url) + " >");
    Bytes image = system_.FetchBytes(url);
    Convert(image, temporaryPath);
}

void UpdateCycle::RunRecompose() {
    if (shownStrip_.empty() || !SamePath(system_.WallpaperSetting(), shownBitmap_)) return;
    log_.AppendRaw("\r\n");
    log_.AddLog(std::string(kDesktopChanged));
    Convert(shownStrip_, TemporaryPath());
}

// From the downloaded bytes on: the temporary file, the bitmap composed for the desktop as it is now,
// the wallpaper. Once the bitmap holds the strip, its bytes are kept (taken from `strip`).
void UpdateCycle::Convert(Bytes& strip, const std::string& temporaryPath) {
    const std::string temporary = system_.WriteFile(temporaryPath, strip);
    log_.AddLog("Converting to bitmap...");
    std::string bitmap;
    {
        // The decoded strip goes once written: a wallpaper's worth of pixels is never held.
        const Picture picture = system_.LoadPicture(temporary);
        ComposedWallpaper wallpaper(picture, system_.ReadDesktop());
        bitmap = system_.SaveBitmap(wallpaper, bitmapPath_);
    }
    if (&strip != &shownStrip_) shownStrip_ = std::move(strip);
    shownBitmap_ = bitmap;
    system_.RemoveFile(temporary);

    log_.AddLog("Setting as wallpaper...");
    system_.SetWallpaper(bitmap);
    log_.AddLog("Done!");
}

// The URL actually fetched for a located strip: relative ones resolved against the page's own URL
// (where its redirects ended), and only http or https accepted, so nothing local is ever read on a
// page's say-so.
std::string UpdateCycle::DownloadUrl(const std::string& located, const std::string& pageUrl) {
    if (HasControlCharacters(located)) {
        throw UpdateError("The strip URL contains control characters");
    }
    std::string url = SchemeOf(located).empty() ? system_.ResolveUrl(pageUrl, located) : located;
    const std::string scheme = SchemeOf(url);
    if (scheme != "http" && scheme != "https") {
        throw UpdateError("Only http and https strip URLs are fetched, not < " + Printable(url) + " >");
    }
    return url;
}

}  // namespace dromix
