#include "imaging_library.h"

#include "errors.h"
#include "system_error.h"

namespace dromix {

ImagingLibrary::ImagingLibrary()
    : library_(LoadLibraryExW(L"windowscodecs.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    if (!library_) ThrowLastError("The imaging component cannot be loaded");
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    const auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(library_.get(), "DllGetClassObject")));
    if (!get) throw UpdateError("The imaging component cannot be loaded");
    ComPtr<IClassFactory> maker;
    HRESULT result = get(CLSID_WICImagingFactory, IID_IClassFactory, reinterpret_cast<void**>(maker.put()));
    if (SUCCEEDED(result)) {
        result = maker->CreateInstance(nullptr, IID_IWICImagingFactory, reinterpret_cast<void**>(factory_.put()));
    }
    if (FAILED(result)) {
        ThrowSystemError(static_cast<DWORD>(result), "The picture cannot be decoded (imaging component)");
    }
}

}  // namespace dromix
