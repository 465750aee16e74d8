#pragma once
// The tests' side of the sample comic site started by a comic-site fixture: where it listens and its
// control API, reached directly, never through the proxy setting (which a test may point at a dead port).
#include <windows.h>
#include <wininet.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include "http_client.h"
#include "wine_paths.h"

namespace dromix::testing {

class ComicSite {
public:
    // The site of the fixture named by DROMIX_COMIC_SITE_PORT_FILE; not Running() without one.
    ComicSite() : session_(InternetOpenW(L"DromixTests", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0)) {
        const char* portFile = std::getenv("DROMIX_COMIC_SITE_PORT_FILE");
        if (portFile == nullptr) return;
        std::ifstream in(WinePath(portFile));
        in >> port_ >> securePort_ >> weakCipherPort_;
    }

    bool Running() const { return port_ > 0; }
    int Port() const { return port_; }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    // The site's direct https ports: a certificate from the test authority for localhost, and a
    // server that offers only ciphers without encryption.
    std::string SecureUrl(const std::string& path) const {
        return "https://localhost:" + std::to_string(securePort_) + path;
    }
    std::string WeakCipherUrl(const std::string& path) const {
        return "https://localhost:" + std::to_string(weakCipherPort_) + path;
    }

    // Control("strip?name=strip-2.jpg"), Control("fault?page=404&image=ok"), Control("reset"): the
    // answer's body; throws unless the site accepted the command.
    std::string Control(const std::string& command) {
        if (!Running()) throw std::runtime_error("the comic site's port file cannot be read");
        const std::string url = Url("/_control/" + command);
        const UniqueInternet request(InternetOpenUrlA(session_.get(), url.c_str(), nullptr, 0,
                                                      INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
        if (!request) throw std::runtime_error("the comic site does not answer " + command);
        DWORD status = 0, size = sizeof status, index = 0;
        HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, &index);
        std::string body;
        char chunk[4096];
        DWORD read = 0;
        while (InternetReadFile(request.get(), chunk, sizeof chunk, &read) && read > 0) body.append(chunk, read);
        if (status != 200) throw std::runtime_error("the comic site refused " + command + ": " + body);
        return body;
    }
    void Strip(const std::string& name) { Control("strip?name=" + name); }
    void Fault(const std::string& page, const std::string& image) { Control("fault?page=" + page + "&image=" + image); }
    void NoFaults() { Fault("ok", "ok"); }

private:
    UniqueInternet session_;
    int port_ = 0;
    int securePort_ = 0;
    int weakCipherPort_ = 0;
};

}  // namespace dromix::testing
