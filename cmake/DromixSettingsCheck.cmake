# Checks the values a build is configured with (see DromixSettings.cmake). Run alone, as
#   cmake -DDROMIX_PAGE_URL=... -DDROMIX_AUTHOR_CREDIT=... -DDROMIX_AUTHOR_URL=... -P DromixSettingsCheck.cmake
# it only checks them, and fails with the same message configuring would.

# Host (letters, digits, dots, hyphens), optional port, then a path of plain URL characters: nothing
# that needs escaping in a C++ string literal, no spaces, no backslashes.
set(dromix_url_start [=[^https?://[A-Za-z0-9][A-Za-z0-9.-]*(:[0-9]+)?]=])
set(dromix_url_char [=[A-Za-z0-9._~!$&'()*+,;=:@%/]=])

function(dromix_check_settings page_url author_credit author_url)
  if(NOT page_url MATCHES "${dromix_url_start}/([${dromix_url_char}-]*/)?$")
    message(FATAL_ERROR "DROMIX_PAGE_URL is \"${page_url}\": it must be an absolute http:// or "
      "https:// URL of the comic's front page, ending in \"/\", without spaces, query or fragment "
      "(for example https://comic.example.org/ or http://example.com/comic/).")
  endif()
  if(NOT author_url MATCHES "${dromix_url_start}(/[${dromix_url_char}?#-]*)?$")
    message(FATAL_ERROR "DROMIX_AUTHOR_URL is \"${author_url}\": it must be an absolute http:// or "
      "https:// URL without spaces (for example https://example.org/about/).")
  endif()
  string(FIND "${author_credit}" "\n" newline)
  string(FIND "${author_credit}" "\r" return)
  string(FIND "${author_credit}" "\t" tab)
  if(author_credit STREQUAL "" OR newline GREATER -1 OR return GREATER -1 OR tab GREATER -1)
    message(FATAL_ERROR "DROMIX_AUTHOR_CREDIT is \"${author_credit}\": it must be one line of text, not empty.")
  endif()
endfunction()

# `text` as the inside of a C++ string literal, in `out`.
function(dromix_c_literal out text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  dromix_check_settings("${DROMIX_PAGE_URL}" "${DROMIX_AUTHOR_CREDIT}" "${DROMIX_AUTHOR_URL}")
endif()
