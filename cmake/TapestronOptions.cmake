# Language level and warnings for every target of ours, shared by the program's build and the
# stand-alone Windows build of the platform tests.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

option(TAPESTRON_WERROR "Treat warnings as errors" OFF)
option(TAPESTRON_SANITIZE "Build with AddressSanitizer and UBSan" OFF)
option(TAPESTRON_FUZZ "Build only the fuzz targets (clang: libFuzzer, AddressSanitizer, UBSan)" OFF)
option(TAPESTRON_BENCHMARKS "Build the benchmarks with everything else" ON)

add_library(tapestron_options INTERFACE)
if(MSVC)
    # The same rules in MSVC's words; sources are UTF-8.
    target_compile_options(tapestron_options INTERFACE /W4 /permissive- /utf-8
        $<$<BOOL:${TAPESTRON_WERROR}>:/WX>)
else()
    target_compile_options(tapestron_options INTERFACE -Wall -Wextra -Wpedantic
        $<$<BOOL:${TAPESTRON_WERROR}>:-Werror>)
endif()
if(TAPESTRON_FUZZ)
    # Every library the targets link gets libFuzzer's coverage; only the targets get its main().
    target_compile_options(tapestron_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined
        -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(tapestron_options INTERFACE -fsanitize=address,undefined)
elseif(TAPESTRON_SANITIZE)
    target_compile_options(tapestron_options INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(tapestron_options INTERFACE -fsanitize=address,undefined)
endif()

# How much debug information every target of ours carries, whatever the build type says: CI's
# throwaway trees need no more than line tables for a sanitizer's report, and none at all
# otherwise; full information costs a quarter of the compile time and most of the link time.
set(TAPESTRON_DEBUG_INFO "" CACHE STRING
    "Debug information (GCC, clang): empty as the build type has it, lines, or none")
set_property(CACHE TAPESTRON_DEBUG_INFO PROPERTY STRINGS "" lines none)
if(TAPESTRON_DEBUG_INFO STREQUAL "lines")
    target_compile_options(tapestron_options INTERFACE -g1)
elseif(TAPESTRON_DEBUG_INFO STREQUAL "none")
    target_compile_options(tapestron_options INTERFACE -g0)
elseif(NOT TAPESTRON_DEBUG_INFO STREQUAL "")
    message(FATAL_ERROR "TAPESTRON_DEBUG_INFO must be empty, lines or none")
endif()

# The compiler and linker flags of Debian's own packages (dpkg-buildflags with all hardening), for
# the tree the Debian packages are made from, and for CI's test tree, which is that same tree.
# Their -O and -g are left to the build type and TAPESTRON_DEBUG_INFO.
option(TAPESTRON_DEBIAN_FLAGS "Build with the flags of Debian's packages" OFF)
if(TAPESTRON_DEBIAN_FLAGS)
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                    dpkg-buildflags --get ${kind}
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
        separate_arguments(flags UNIX_COMMAND "${flags}")
        list(FILTER flags EXCLUDE REGEX "^-(g|O[0-9s]?)$")
        if(kind STREQUAL "LDFLAGS")
            target_link_options(tapestron_options INTERFACE ${flags})
        else()
            target_compile_options(tapestron_options INTERFACE ${flags})
        endif()
    endforeach()
endif()
