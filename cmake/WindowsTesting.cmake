# GoogleTest cross-built from the Debian sources, and the Wine fixtures every Windows test uses.
set(DROMIX_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to cross-build")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${DROMIX_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL SYSTEM)
# GoogleTest's own sources are not ours to keep warning-free. Like the tests themselves (below), they
# are built with -Og: a test gains nothing from full optimisation and builds in about half the time.
foreach(target gtest gtest_main gmock gmock_main)
  if(TARGET ${target})
    target_compile_options(${target} PRIVATE -w -Og)
  endif()
endforeach()

# One Wine prefix and one display for the whole run: created once before any test, torn down after.
set(DROMIX_WINE_RUN ${CMAKE_SOURCE_DIR}/tests/support/wine-run)
add_test(NAME wine.setup COMMAND ${DROMIX_WINE_RUN} --setup)
add_test(NAME wine.cleanup COMMAND ${DROMIX_WINE_RUN} --cleanup)
set_tests_properties(wine.setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 180
  ENVIRONMENT "DROMIX_BUILD_DIR=${CMAKE_BINARY_DIR}")
set_tests_properties(wine.cleanup PROPERTIES FIXTURES_CLEANUP wine
  ENVIRONMENT "DROMIX_BUILD_DIR=${CMAKE_BINARY_DIR}")

# The proxy setting that routes the real program to the sample site, put back to none before the tests
# and after them whatever happened: a test killed on its time-out cannot put back its own, and would
# leave every later fetch in the prefix pointed at a dead port.
add_executable(dromix_proxy ${CMAKE_SOURCE_DIR}/tests/support/proxy_tool.cpp)
target_include_directories(dromix_proxy PRIVATE ${CMAKE_SOURCE_DIR}/tests/windows)
target_link_libraries(dromix_proxy PRIVATE advapi32 ws2_32)
if(MINGW)
  target_link_options(dromix_proxy PRIVATE -municode)
endif()
add_test(NAME proxy.reset_before COMMAND dromix_proxy --reset)
add_test(NAME proxy.reset_after COMMAND dromix_proxy --reset)
set_tests_properties(proxy.reset_before PROPERTIES FIXTURES_SETUP proxy FIXTURES_REQUIRED wine TIMEOUT 60
  ENVIRONMENT "DROMIX_BUILD_DIR=${CMAKE_BINARY_DIR}")
set_tests_properties(proxy.reset_after PROPERTIES FIXTURES_CLEANUP proxy FIXTURES_REQUIRED wine TIMEOUT 60
  ENVIRONMENT "DROMIX_BUILD_DIR=${CMAKE_BINARY_DIR}")

# The sample site's https certificates, made afresh for each run, and its test authority trusted
# inside the run's Wine prefix only (added to the prefix's machine Root store before the tests that need
# it, removed after them whatever their result). Nothing outside the build tree's prefix trusts it.
set(DROMIX_TLS_DIR ${CMAKE_BINARY_DIR}/tls)
add_test(NAME tls.certificates COMMAND ${CMAKE_SOURCE_DIR}/tests/support/make-test-certificates ${DROMIX_TLS_DIR})
set_tests_properties(tls.certificates PROPERTIES FIXTURES_SETUP tls_files TIMEOUT 60)
add_executable(test_authority ${CMAKE_SOURCE_DIR}/tests/support/test_authority.cpp)
target_link_libraries(test_authority PRIVATE crypt32)
if(MINGW)
  target_link_options(test_authority PRIVATE -municode)
endif()
string(REPLACE "/" "\\" dromix_tls_authority "Z:${DROMIX_TLS_DIR}/authority.cer")
add_test(NAME tls.trust COMMAND test_authority --trust ${dromix_tls_authority})
add_test(NAME tls.distrust COMMAND test_authority --distrust)
set_tests_properties(tls.trust PROPERTIES FIXTURES_SETUP tls_trust FIXTURES_REQUIRED "wine;tls_files" TIMEOUT 60
  ENVIRONMENT "DROMIX_BUILD_DIR=${CMAKE_BINARY_DIR}")
set_tests_properties(tls.distrust PROPERTIES FIXTURES_CLEANUP tls_trust FIXTURES_REQUIRED wine TIMEOUT 60
  ENVIRONMENT "DROMIX_BUILD_DIR=${CMAKE_BINARY_DIR}")

# dromix_windows_test(name SOURCES ... LIBS ...): a GoogleTest executable run under Wine.
function(dromix_windows_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} gmock gtest_main)
  # The program's own code keeps the build type's optimisation; only the test's code is built -Og.
  target_compile_options(${name} PRIVATE -Og)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 240)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "wine;proxy" TIMEOUT ${ARG_TIMEOUT}
    LABELS "windows;${ARG_LABELS}"
    ENVIRONMENT "DROMIX_BUILD_DIR=${CMAKE_BINARY_DIR};DROMIX_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()

find_program(DROMIX_PYTHON NAMES python3 REQUIRED)

# No name in src/ is one the SDK renames to its A or W form: a member of that name would be renamed in
# the files that include <windows.h> and not in the others.
add_test(NAME src.windows_macro_names COMMAND ${DROMIX_PYTHON} ${CMAKE_SOURCE_DIR}/tests/support/check-macro-names
         ${CMAKE_CXX_COMPILER} ${CMAKE_SOURCE_DIR}/src)

# dromix_comic_site_fixture(name [LIFETIME s] [TLS]): the CTest fixture `name`, the sample comic site
# (tests/support/comic_site.py) started detached before the tests that require it and stopped after
# them. Its port is written to ${CMAKE_BINARY_DIR}/comic-site/<name>.port; the path is left in the
# variable <name>_PORT_FILE. With TLS it also speaks https with the run's test certificates, and the
# tests that use it run with the test authority trusted.
set(DROMIX_COMIC_SITE ${CMAKE_SOURCE_DIR}/tests/support/comic_site.py)
function(dromix_comic_site_fixture name)
  cmake_parse_arguments(ARG "TLS" "LIFETIME" "" ${ARGN})
  if(NOT ARG_LIFETIME)
    set(ARG_LIFETIME 1800)
  endif()
  set(port_file ${CMAKE_BINARY_DIR}/comic-site/${name}.port)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/comic-site)
  set(tls_options)
  if(ARG_TLS)
    set(tls_options --tls-dir ${DROMIX_TLS_DIR})
  endif()
  add_test(NAME ${name}.start COMMAND ${DROMIX_PYTHON} ${DROMIX_COMIC_SITE} --background
           --port-file ${port_file} --lifetime ${ARG_LIFETIME} ${tls_options})
  add_test(NAME ${name}.stop COMMAND ${DROMIX_PYTHON} ${DROMIX_COMIC_SITE} --stop --port-file ${port_file})
  set_tests_properties(${name}.start PROPERTIES FIXTURES_SETUP ${name} TIMEOUT 30)
  set_tests_properties(${name}.stop PROPERTIES FIXTURES_CLEANUP ${name} TIMEOUT 30)
  if(ARG_TLS)
    set_tests_properties(${name}.start PROPERTIES FIXTURES_REQUIRED tls_files)
    set_property(GLOBAL PROPERTY dromix_tls_site_${name} ON)
  endif()
  set(${name}_PORT_FILE ${port_file} PARENT_SCOPE)
endfunction()

# dromix_use_comic_site(test fixture): `test` runs with the site of `fixture`, its port file in the
# environment variable DROMIX_COMIC_SITE_PORT_FILE.
function(dromix_use_comic_site test fixture)
  set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED ${fixture})
  get_property(tls GLOBAL PROPERTY dromix_tls_site_${fixture})
  if(tls)
    set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED tls_trust)
  endif()
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT
               "DROMIX_COMIC_SITE_PORT_FILE=${CMAKE_BINARY_DIR}/comic-site/${fixture}.port")
endfunction()
