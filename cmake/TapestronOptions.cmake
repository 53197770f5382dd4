# Language level and warnings for every target of ours, shared by the program's build and the
# stand-alone Windows build of the platform tests.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

option(TAPESTRON_WERROR "Treat warnings as errors" OFF)
option(TAPESTRON_SANITIZE "Build with AddressSanitizer and UBSan" OFF)
option(TAPESTRON_FUZZ "Build only the fuzz targets (clang: libFuzzer, AddressSanitizer, UBSan)" OFF)

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
