// Trusts the tests' certificate authority inside the tests' Wine prefix, and only there: it adds the
// authority's certificate to the prefix's machine Root store, or takes it out again.
//   test_authority --trust Z:\...\authority.cer
//   test_authority --distrust
// Every run makes a new authority with the same name, so both commands first remove any authority of
// that name an earlier run left behind.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr wchar_t kAuthorityName[] = L"Dromix Test Authority";

struct StoreCloser {
    HCERTSTORE store;
    ~StoreCloser() {
        if (store) CertCloseStore(store, 0);
    }
};

int RemoveOld(HCERTSTORE store) {
    int removed = 0;
    for (;;) {
        PCCERT_CONTEXT found = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_SUBJECT_STR_W,
                                                          kAuthorityName, nullptr);
        if (!found) return removed;
        if (!CertDeleteCertificateFromStore(found)) return -1;  // frees `found` either way
        ++removed;
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool trust = argc == 3 && std::wcscmp(argv[1], L"--trust") == 0;
    const bool distrust = argc == 2 && std::wcscmp(argv[1], L"--distrust") == 0;
    if (!trust && !distrust) {
        std::fprintf(stderr, "usage: test_authority --trust AUTHORITY.cer | --distrust\n");
        return 2;
    }
    const StoreCloser root{CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root")};
    if (!root.store) {
        std::fprintf(stderr, "test_authority: the Root store cannot be opened (%lu)\n", GetLastError());
        return 1;
    }
    const int removed = RemoveOld(root.store);
    if (removed < 0) {
        std::fprintf(stderr, "test_authority: an old test authority cannot be removed (%lu)\n", GetLastError());
        return 1;
    }
    if (distrust) {
        std::printf("test_authority: %d test authority certificate(s) removed\n", removed);
        return 0;
    }

    std::ifstream in(argv[2], std::ios::binary);
    const std::vector<unsigned char> der{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (der.empty()) {
        std::fprintf(stderr, "test_authority: the certificate file cannot be read\n");
        return 1;
    }
    if (!CertAddEncodedCertificateToStore(root.store, X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()),
                                          CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
        std::fprintf(stderr, "test_authority: the certificate cannot be added (%lu)\n", GetLastError());
        return 1;
    }
    std::printf("test_authority: the test authority is trusted in this prefix\n");
    return 0;
}
