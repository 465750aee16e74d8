# The values a build is configured with: good ones accepted, bad ones refused by configuring with a
# message that names the setting. Run with cmake -P; each case checks in a cmake process of its own.
set(check ${CMAKE_CURRENT_LIST_DIR}/../../cmake/DromixSettingsCheck.cmake)
include(${check})

# check_case(accepted|refused PAGE_URL CREDIT AUTHOR_URL [MESSAGE]): refused cases fail naming MESSAGE.
function(check_case expect page credit author)
  execute_process(COMMAND ${CMAKE_COMMAND} -DDROMIX_PAGE_URL=${page} -DDROMIX_AUTHOR_CREDIT=${credit}
                          -DDROMIX_AUTHOR_URL=${author} -P ${check}
                  RESULT_VARIABLE result ERROR_VARIABLE error OUTPUT_QUIET)
  string(REGEX REPLACE "[ \n]+" " " error "${error}")  # the message as one line, not wrapped
  if(expect STREQUAL "accepted" AND NOT result EQUAL 0)
    message(SEND_ERROR "refused: '${page}' '${credit}' '${author}': ${error}")
  elseif(expect STREQUAL "refused" AND (result EQUAL 0 OR NOT error MATCHES "${ARGV4}"))
    message(SEND_ERROR "not refused with ${ARGV4}: '${page}' '${credit}' '${author}': ${error}")
  endif()
endfunction()

set(credit "Written by the Dromix developers")
set(site "http://www.example.com/dromix/")
foreach(page http://www.example.com/ https://comic.example.org/ http://example.com:8080/comic/strips/
             http://10.0.0.1/~ann/)
  check_case(accepted ${page} ${credit} ${site})
endforeach()
foreach(page "http://www.example.com" "ftp://example.com/" "www.example.com/" "file:///c:/comic/"
             "http://exa mple.com/" "http://example.com/?day=1/" "http://example.com/#top/" "http:///"
             "http://example.com/\"x/" "http://example.com\\comic/" "HTTP//example.com/" "")
  check_case(refused "${page}" ${credit} ${site} "DROMIX_PAGE_URL.*must be an absolute http")
endforeach()

foreach(site https://example.org "http://example.org/about/?lang=en#me")
  check_case(accepted http://www.example.com/ ${credit} ${site})
endforeach()
foreach(site "javascript:alert(1)" "mailto:ann@example.org" "http://example.org/a b" "c:\\site" "")
  check_case(refused http://www.example.com/ ${credit} "${site}" "DROMIX_AUTHOR_URL.*must be an absolute http")
endforeach()

check_case(accepted http://www.example.com/ "Ann & Bob \"the\" \\ artists" ${site})
check_case(refused http://www.example.com/ "" ${site} "DROMIX_AUTHOR_CREDIT.*one line")
check_case(refused http://www.example.com/ "two\nlines" ${site} "DROMIX_AUTHOR_CREDIT.*one line")

# The credit goes into a C++ string literal as it stands.
dromix_c_literal(literal [[Ann "the" \ artist]])
if(NOT literal STREQUAL [[Ann \"the\" \\ artist]])
  message(SEND_ERROR "credit literal: ${literal}")
endif()
