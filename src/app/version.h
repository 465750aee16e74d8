#pragma once
// The product version, read by both the resource script (VERSIONINFO) and the About window.
// Plain macros only: the resource compiler includes this file too.

#define DROMIX_VERSION_MAJOR 1
#define DROMIX_VERSION_MINOR 2
#define DROMIX_VERSION_TEXT "1.2"
#define DROMIX_VERSION_FILE DROMIX_VERSION_MAJOR, DROMIX_VERSION_MINOR, 0, 0
#define DROMIX_VERSION_FILE_TEXT "1.2.0.0"
#define DROMIX_PRODUCT_NAME "Dromix"
