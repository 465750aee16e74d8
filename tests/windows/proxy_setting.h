#pragma once
// The current user's WinINet proxy setting, which routes the real program (with its fixed page URL) to
// a local site, and a local port with no listener for a refused connection.
#include <winsock2.h>
#include <windows.h>

#include <optional>
#include <stdexcept>
#include <string>

namespace dromix::testing {

// The current user's Internet Settings key, where WinINet reads the proxy it is preconfigured with.
class InternetSettings {
public:
    InternetSettings() {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0,
                            nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_, nullptr) != ERROR_SUCCESS) {
            throw std::runtime_error("the Internet Settings key cannot be opened");
        }
    }
    ~InternetSettings() { RegCloseKey(key_); }
    InternetSettings(const InternetSettings&) = delete;
    InternetSettings& operator=(const InternetSettings&) = delete;

    // Every request of a program started from now on goes to 127.0.0.1:port.
    void Through(int port) {
        WriteText(L"ProxyServer", L"127.0.0.1:" + std::to_wstring(port));
        WriteDword(L"ProxyEnable", 1);
    }
    // Requests go straight to the server named in the URL.
    void Direct() { WriteDword(L"ProxyEnable", 0); }
    // As a new prefix has it: no proxy at all.
    void Reset() {
        RegDeleteValueW(key_, L"ProxyEnable");
        RegDeleteValueW(key_, L"ProxyServer");
    }

    std::optional<DWORD> ReadDword(const wchar_t* name) const {
        DWORD value = 0, size = sizeof value, type = 0;
        if (RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
            type != REG_DWORD) {
            return std::nullopt;
        }
        return value;
    }
    std::optional<std::wstring> ReadText(const wchar_t* name) const {
        wchar_t value[512] = {};
        DWORD size = sizeof value - sizeof(wchar_t), type = 0;
        if (RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
            type != REG_SZ) {
            return std::nullopt;
        }
        return std::wstring(value);
    }
    void WriteDword(const wchar_t* name, DWORD value) {
        RegSetValueExW(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }
    void WriteText(const wchar_t* name, const std::wstring& value) {
        RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

private:
    HKEY key_ = nullptr;
};

// The proxy setting, changed for the life of the object and put back afterwards. A test that is killed
// never puts it back: the run's proxy fixture (dromix_proxy --reset) does so whatever happened.
class ProxySetting {
public:
    ProxySetting() : savedEnable_(key_.ReadDword(L"ProxyEnable")), savedServer_(key_.ReadText(L"ProxyServer")) {}
    ~ProxySetting() {
        key_.Reset();
        if (savedEnable_) key_.WriteDword(L"ProxyEnable", *savedEnable_);
        if (savedServer_) key_.WriteText(L"ProxyServer", *savedServer_);
    }
    ProxySetting(const ProxySetting&) = delete;
    ProxySetting& operator=(const ProxySetting&) = delete;

    void Through(int port) { key_.Through(port); }
    void Direct() { key_.Direct(); }

private:
    InternetSettings key_;
    std::optional<DWORD> savedEnable_;
    std::optional<std::wstring> savedServer_;
};

// A port nobody listens on: bound once to learn a free one, then let go.
inline int ClosedPort() {
    WSADATA data{};
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    closesocket(s);
    WSACleanup();
    return ntohs(address.sin_port);
}

}  // namespace dromix::testing
