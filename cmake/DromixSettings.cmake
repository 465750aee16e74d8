# The values a build of Dromix is made for, chosen when configuring, and the headers that carry them
# (and the project version) into the program:
#   DROMIX_PAGE_URL       the comic's front page: an absolute http:// or https:// URL ending in "/"
#   DROMIX_AUTHOR_CREDIT  the About window's credit line
#   DROMIX_AUTHOR_URL     the author's web site, linked from the About window: an http:// or https:// URL
# For example: cmake --preset win32 -DDROMIX_PAGE_URL=https://comic.example.org/
set(DROMIX_PAGE_URL "http://www.example.com/" CACHE STRING
    "Front page of the comic's web site: an absolute http:// or https:// URL ending in /")
set(DROMIX_AUTHOR_CREDIT "Written by the Dromix developers" CACHE STRING "Credit line of the About window")
set(DROMIX_AUTHOR_URL "http://www.example.com/dromix/" CACHE STRING
    "The author's web site, linked from the About window: an http:// or https:// URL")

include(${CMAKE_CURRENT_LIST_DIR}/DromixSettingsCheck.cmake)
dromix_check_settings("${DROMIX_PAGE_URL}" "${DROMIX_AUTHOR_CREDIT}" "${DROMIX_AUTHOR_URL}")
dromix_c_literal(DROMIX_AUTHOR_CREDIT_LITERAL "${DROMIX_AUTHOR_CREDIT}")

# The version's four numbers, from the project version.
foreach(part MAJOR MINOR PATCH TWEAK)
  if(PROJECT_VERSION_${part} STREQUAL "")
    set(DROMIX_VERSION_${part} 0)
  else()
    set(DROMIX_VERSION_${part} ${PROJECT_VERSION_${part}})
  endif()
endforeach()

set(DROMIX_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${PROJECT_SOURCE_DIR}/src/app/constants.h.in ${DROMIX_GENERATED_DIR}/constants.h @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/version.h.in ${DROMIX_GENERATED_DIR}/version.h @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/dromix.manifest.in ${DROMIX_GENERATED_DIR}/dromix.manifest @ONLY)
# The release package's readme for Windows users, with Windows line ends.
string(LENGTH "${PROJECT_VERSION}" dromix_version_length)
string(REPEAT "=" ${dromix_version_length} DROMIX_VERSION_UNDERLINE)
configure_file(${PROJECT_SOURCE_DIR}/resources/README-windows.txt.in ${DROMIX_GENERATED_DIR}/README.txt @ONLY
               NEWLINE_STYLE CRLF)
# The installer's values (installer/Dromix.wxs), one NAME=VALUE a line, which scripts/package passes to wixl.
configure_file(${PROJECT_SOURCE_DIR}/installer/installer-values.in ${DROMIX_GENERATED_DIR}/installer-values @ONLY)
