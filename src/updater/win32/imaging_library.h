#pragma once
// The Windows Imaging Component's library, loaded for one decode and let go afterwards. Created
// through COM, the library stays loaded for the life of the process (COM never unloads it), and under
// Wine its relocated image alone holds more than a megabyte of private memory through the hour
// between two cycles.
#include <windows.h>
#include <wincodec.h>

#include "handles.h"

namespace dromix {

class ImagingLibrary {
public:
    // Raises UpdateError when the library or its imaging factory is missing.
    ImagingLibrary();
    ImagingLibrary(const ImagingLibrary&) = delete;
    ImagingLibrary& operator=(const ImagingLibrary&) = delete;

    // Every object made from it must be released before the library goes.
    IWICImagingFactory& Factory() const { return *factory_.get(); }

private:
    UniqueModule library_;  // declared first: it goes last
    ComPtr<IWICImagingFactory> factory_;
};

}  // namespace dromix
