# Shared build settings of Sistra's own targets.

# Windows API level: Windows 7 and later, wide-character API.
add_library(sistra_options INTERFACE)
target_compile_definitions(sistra_options INTERFACE
    UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
target_compile_options(sistra_options INTERFACE
    $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Werror -Wno-missing-field-initializers>)

# For the targets that carry the analysis (the calculations, the fits, the host's reading and calculation
# engine): loops of element-wise arithmetic run in vector registers also when their length is not known to
# be a multiple of the vector's. Each element is worked out by the same operations, rounded the same way,
# and sums keep their order (floating-point additions are never reassociated), so results do not change.
set(SISTRA_VECTORISED_LOOPS -fvect-cost-model=dynamic)
target_include_directories(sistra_options INTERFACE ${PROJECT_SOURCE_DIR})

# Boost's header-only parts, seen through a folder that holds only boost/: the system's
# /usr/include must never be on a cross build's include path.
set(SISTRA_BOOST_INCLUDE ${CMAKE_BINARY_DIR}/boost-include)
if(NOT EXISTS /usr/include/boost/version.hpp)
    message(FATAL_ERROR "Boost headers not found in /usr/include/boost (run scripts/bootstrap)")
endif()
file(MAKE_DIRECTORY ${SISTRA_BOOST_INCLUDE})
file(CREATE_LINK /usr/include/boost ${SISTRA_BOOST_INCLUDE}/boost SYMBOLIC)
target_include_directories(sistra_options SYSTEM INTERFACE ${SISTRA_BOOST_INCLUDE})

# Static runtime: nothing needs a runtime DLL beside the binaries.
# (-static also takes winpthread, which libstdc++'s posix threads need, from its archive.)
# Sections aligned to pages in the file let Wine map an image instead of reading all of it, debug
# information included, into the process's memory.
set(SISTRA_DLL_LINK_OPTIONS -static -static-libgcc -static-libstdc++ -Wl,--file-alignment,4096)
set(SISTRA_EXE_LINK_OPTIONS -static -static-libgcc -static-libstdc++ -Wl,--file-alignment,4096)

# GoogleTest, built for the target from the system's sources.
set(SISTRA_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${SISTRA_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The Wine environment every test runs in.
set(SISTRA_WINEPREFIX $ENV{WINEPREFIX} CACHE PATH "Wine prefix of the test runs")
if(NOT SISTRA_WINEPREFIX)
    set(SISTRA_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "" FORCE)
endif()
set(SISTRA_TEST_ENVIRONMENT
    WINEPREFIX=${SISTRA_WINEPREFIX} WINEDEBUG=-all "WINEDLLOVERRIDES=mscoree,mshtml,winemenubuilder.exe=")

# sistra_library(NAME SOURCES...): one subsystem's code, as objects so that the static
# initialisers that link class objects into their lists survive into Sistra.dll.
function(sistra_library name)
    add_library(${name} OBJECT ${ARGN})
    target_link_libraries(${name} PUBLIC sistra_options)
endfunction()

# sistra_executable(NAME SOURCES...): a statically linked Windows program.
function(sistra_executable name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE sistra_options)
    target_link_options(${name} PRIVATE ${SISTRA_EXE_LINK_OPTIONS})
endfunction()

# sistra_test(NAME SOURCES... LIBS libs... [SHARDS n]): one GoogleTest executable per subsystem, one CTest
# test, or n tests that each run every n-th of its cases (GoogleTest's own sharding).
function(sistra_test name)
    cmake_parse_arguments(ARG "" "SHARDS" "SOURCES;LIBS" ${ARGN})
    sistra_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    if(NOT ARG_SHARDS)
        sistra_add_test_run(${name} ${name})
        return()
    endif()
    math(EXPR last "${ARG_SHARDS} - 1")
    foreach(shard RANGE ${last})
        sistra_add_test_run(${name}_${shard} ${name} GTEST_TOTAL_SHARDS=${ARG_SHARDS} GTEST_SHARD_INDEX=${shard})
    endforeach()
endfunction()

# Each program gets a display and a Wine session of its own: some check which window is in front,
# and so they can still run side by side. A program that crashed fails the run by what Wine reports of
# it: the exit status Wine gives a crashed program is at times 0, and the run passed with the tests after
# the crash never run.
function(sistra_add_test_run test target)
    add_test(NAME ${test} COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/own-session ${test}
             wine $<TARGET_FILE:${target}> --gtest_brief=1)
    set(run_environment ${SISTRA_TEST_ENVIRONMENT} ${ARGN})
    set_tests_properties(${test} PROPERTIES ENVIRONMENT "${run_environment}" TIMEOUT 600
                         FAIL_REGULAR_EXPRESSION "wine: Unhandled ")
endfunction()

# sistra_dll(NAME SOURCES...): a statically linked Windows DLL without a "lib" prefix.
function(sistra_dll name)
    add_library(${name} SHARED ${ARGN})
    set_target_properties(${name} PROPERTIES PREFIX "")
    target_link_libraries(${name} PRIVATE sistra_options)
    target_link_options(${name} PRIVATE ${SISTRA_DLL_LINK_OPTIONS})
endfunction()

# sistra_subsystem(NAME [DEPENDS libs...] [SHARDS n]): one folder of the module. Its *.cpp (in capability subfolders too) become the object library
# sistra_NAME, its tests/**/*.cpp the test executable NAME_tests (one CTest test), linked with the
# libraries it depends on (SHARDS: n CTest tests, as sistra_test runs them); its tests/*.rc (test string tables) are compiled into that executable. Tests run
# from build/bin, beside Sistra.dll and Vyr.dll.
function(sistra_subsystem name)
    cmake_parse_arguments(ARG "" "SHARDS" "DEPENDS;SYSTEM_LIBS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    list(FILTER sources EXCLUDE REGEX "^tests/")
    list(TRANSFORM sources PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
    sistra_library(sistra_${name} ${sources})
    target_link_libraries(sistra_${name} PUBLIC ${ARG_DEPENDS} ${ARG_SYSTEM_LIBS})
    file(GLOB_RECURSE tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
    file(GLOB test_resources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.rc)
    if(tests)
        sistra_test(${name}_tests SOURCES ${tests} ${test_resources} LIBS sistra_${name} ${ARG_DEPENDS} ${ARG_SYSTEM_LIBS}
                    SHARDS ${ARG_SHARDS})
        add_dependencies(${name}_tests Sistra Vyr)
    endif()
endfunction()
