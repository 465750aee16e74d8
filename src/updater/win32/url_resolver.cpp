#include "url_resolver.h"

#include <windows.h>
#include <wininet.h>

#include "errors.h"
#include "system_error.h"
#include "url_bytes.h"
#include "wide_text.h"

namespace dromix {

std::string CombineUrl(const std::string& base, const std::string& relative) {
    // The page's bytes as they are, whatever its encoding: escaped, not converted.
    const std::wstring wideBase = Utf8ToWide(EscapeUrlBytes(base));
    const std::wstring wideRelative = Utf8ToWide(EscapeUrlBytes(relative));
    std::wstring combined(256, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD length = static_cast<DWORD>(combined.size());
        if (InternetCombineUrlW(wideBase.c_str(), wideRelative.c_str(), combined.data(), &length, 0)) {
            combined.resize(length);
            return WideToUtf8(combined);
        }
        const DWORD error = GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER) {
            ThrowSystemError(error, "The URL < " + relative + " > cannot be resolved against < " + base + " >");
        }
        combined.assign(length + 1, L'\0');
    }
    throw UpdateError("The URL < " + relative + " > cannot be resolved against < " + base + " >");
}

}  // namespace dromix
