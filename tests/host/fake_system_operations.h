#pragma once
// An in-memory system for the update cycle: pages and images served from maps, files held in a map,
// every call recorded in order, and any operation made to fail with a given description.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bmp_file.h"
#include "errors.h"
#include "system_operations.h"

namespace dromix::test {

enum class Op {
    ApplicationPath,
    FetchPage,
    FetchBytes,
    ResolveUrl,
    WriteFile,
    RemoveFile,
    LoadPicture,
    ReadDesktop,
    SaveBitmap,
    SetWallpaper,
};

// The bytes the fake decoder accepts: a file starting with "GIF" decodes to a 2×1 picture.
inline const Bytes kGoodImage = {'G', 'I', 'F', '8', '9', 'a', 1, 2, 3};

class FakeSystemOperations : public SystemOperations {
public:
    std::map<std::string, std::string> pages;
    std::map<std::string, Bytes> images;
    std::map<std::string, Bytes> files;
    std::vector<std::string> calls;  // "Operation argument", in order
    std::string applicationPath = "C:\\Apps";
    std::string wallpaper;  // the path last set as wallpaper: the setting
    // A screen of the fake picture's size (2 x 1, too small for a margin): the bitmap is the picture.
    Desktop desktop{2, 1, {0, 0, 2, 1}, 96};

    // When set, WriteFile/SaveBitmap answer as if the given path were refused and they fell back.
    std::optional<std::string> writeFileFallback;
    std::optional<std::string> saveBitmapFallback;

    void FailAt(Op op, std::string description) { failures_[op] = std::move(description); }
    // Makes `op` throw whatever `thrower` throws: failures that are not the cycle's own error type.
    void ThrowAt(Op op, std::function<void()> thrower) { throwers_[op] = std::move(thrower); }
    // Every operation works again.
    void Heal() {
        failures_.clear();
        throwers_.clear();
    }

    Page FetchPage(const std::string& url) override {
        Enter(Op::FetchPage, "FetchPage " + url);
        const auto page = pages.find(url);
        if (page == pages.end()) throw UpdateError("HTTP 404 Not Found");
        return {page->second, url};
    }

    Bytes FetchBytes(const std::string& url) override {
        Enter(Op::FetchBytes, "FetchBytes " + url);
        const auto image = images.find(url);
        if (image == images.end()) throw UpdateError("HTTP 404 Not Found");
        return image->second;
    }

    // Enough of a URL combiner for the tests: "/x" replaces the path, anything else is appended
    // to the base's directory.
    std::string ResolveUrl(const std::string& base, const std::string& relative) override {
        Enter(Op::ResolveUrl, "ResolveUrl " + base + " " + relative);
        if (!relative.empty() && relative.front() == '/') {
            const std::size_t host = base.find("//");
            const std::size_t path = base.find('/', host == std::string::npos ? 0 : host + 2);
            return base.substr(0, path) + relative;
        }
        return base.substr(0, base.rfind('/') + 1) + relative;
    }

    std::string WriteFile(const std::string& path, const Bytes& bytes) override {
        Enter(Op::WriteFile, "WriteFile " + path);
        const std::string target = writeFileFallback.value_or(path);
        files[target] = bytes;
        return target;
    }

    void RemoveFile(const std::string& path) override {
        Enter(Op::RemoveFile, "RemoveFile " + path);
        if (files.erase(path) == 0) throw UpdateError("File not found: " + path);
    }

    Picture LoadPicture(const std::string& path) override {
        Enter(Op::LoadPicture, "LoadPicture " + path);
        const auto file = files.find(path);
        if (file == files.end()) throw UpdateError("File not found: " + path);
        const Bytes& b = file->second;
        if (b.size() < 3 || b[0] != 'G' || b[1] != 'I' || b[2] != 'F') {
            throw UpdateError("The picture cannot be decoded");
        }
        return Picture{2, 1, {{10, 20, 30, 0, 40, 50, 60, 0}}};
    }

    Desktop ReadDesktop() override {
        Enter(Op::ReadDesktop, "ReadDesktop");
        return desktop;
    }

    // Atomic, as the real one is: on failure the old file stays as it was.
    std::string SaveBitmap(RowSource& rows, const std::string& path) override {
        Enter(Op::SaveBitmap, "SaveBitmap " + path);
        const std::string target = saveBitmapFallback.value_or(path);
        files[target] = BmpFile(rows);
        return target;
    }

    void SetWallpaper(const std::string& path) override {
        Enter(Op::SetWallpaper, "SetWallpaper " + path);
        wallpaper = path;
    }

    std::string WallpaperSetting() override { return wallpaper; }

    std::string ApplicationPath() override {
        Enter(Op::ApplicationPath, "ApplicationPath");
        return applicationPath;
    }

private:
    void Enter(Op op, std::string call) {
        calls.push_back(std::move(call));
        const auto failure = failures_.find(op);
        if (failure != failures_.end()) throw UpdateError(failure->second);
        const auto thrower = throwers_.find(op);
        if (thrower != throwers_.end()) thrower->second();
    }

    std::map<Op, std::string> failures_;
    std::map<Op, std::function<void()>> throwers_;
};

}  // namespace dromix::test
