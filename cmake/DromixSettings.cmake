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

# Host (letters, digits, dots, hyphens), optional port, then a path of plain URL characters: nothing
# that needs escaping in a C++ string literal, no spaces, no backslashes.
set(dromix_url_start [=[^https?://[A-Za-z0-9][A-Za-z0-9.-]*(:[0-9]+)?]=])
set(dromix_url_char [=[A-Za-z0-9._~!$&'()*+,;=:@%/]=])

if(NOT DROMIX_PAGE_URL MATCHES "${dromix_url_start}/([${dromix_url_char}-]*/)?$")
  message(FATAL_ERROR "DROMIX_PAGE_URL is \"${DROMIX_PAGE_URL}\": it must be an absolute http:// or "
    "https:// URL of the comic's front page, ending in \"/\", without spaces, query or fragment "
    "(for example https://comic.example.org/ or http://example.com/comic/).")
endif()
if(NOT DROMIX_AUTHOR_URL MATCHES "${dromix_url_start}(/[${dromix_url_char}?#-]*)?$")
  message(FATAL_ERROR "DROMIX_AUTHOR_URL is \"${DROMIX_AUTHOR_URL}\": it must be an absolute http:// or "
    "https:// URL without spaces (for example https://example.org/about/).")
endif()
string(FIND "${DROMIX_AUTHOR_CREDIT}" "\n" dromix_newline)
string(FIND "${DROMIX_AUTHOR_CREDIT}" "\r" dromix_return)
string(FIND "${DROMIX_AUTHOR_CREDIT}" "\t" dromix_tab)
if(DROMIX_AUTHOR_CREDIT STREQUAL "" OR dromix_newline GREATER -1 OR dromix_return GREATER -1
   OR dromix_tab GREATER -1)
  message(FATAL_ERROR "DROMIX_AUTHOR_CREDIT must be one line of text, not empty.")
endif()

# The credit as the inside of a C++ string literal.
string(REPLACE "\\" "\\\\" DROMIX_AUTHOR_CREDIT_LITERAL "${DROMIX_AUTHOR_CREDIT}")
string(REPLACE "\"" "\\\"" DROMIX_AUTHOR_CREDIT_LITERAL "${DROMIX_AUTHOR_CREDIT_LITERAL}")

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
configure_file(${PROJECT_SOURCE_DIR}/src/app/version.h.in ${DROMIX_GENERATED_DIR}/version.h @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/dromix.manifest.in ${DROMIX_GENERATED_DIR}/dromix.manifest @ONLY)
