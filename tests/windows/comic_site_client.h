#pragma once
// Test-side access to the sample comic site started by the comic-site fixture.
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "win32_system_operations.h"

namespace dromix::testing {

// A Unix path from the test environment as Wine sees it: /a/b → Z:\a\b.
inline std::string WinePath(std::string unixPath) {
    for (char& c : unixPath) {
        if (c == '/') c = '\\';
    }
    return "Z:" + unixPath;
}

inline std::string SourcePath(const std::string& relative) {
    const char* root = std::getenv("DROMIX_SOURCE_DIR");
    return WinePath(std::string(root ? root : "") + "/" + relative);
}

class ComicSite {
public:
    ComicSite() {
        const char* portFile = std::getenv("DROMIX_COMIC_SITE_PORT_FILE");
        if (portFile == nullptr) return;
        std::ifstream in(WinePath(portFile));
        in >> port_ >> securePort_ >> weakCipherPort_;
    }
    bool Running() const { return port_ > 0; }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    // The site's direct https ports: a certificate from the test authority for localhost, and a
    // server that offers only ciphers without encryption. 0 when the site speaks no https.
    std::string SecureUrl(const std::string& path) const {
        return "https://localhost:" + std::to_string(securePort_) + path;
    }
    std::string WeakCipherUrl(const std::string& path) const {
        return "https://localhost:" + std::to_string(weakCipherPort_) + path;
    }
    // Steers the site: Control("fault?page=404"), Control("reset").
    std::string Control(const std::string& command) {
        return control_.FetchText(Url("/_control/" + command));
    }

private:
    int port_ = 0;
    int securePort_ = 0;
    int weakCipherPort_ = 0;
    Win32SystemOperations control_;
};

}  // namespace dromix::testing
