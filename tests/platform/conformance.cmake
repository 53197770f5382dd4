# The platform conformance suite: the same cases run natively against the POSIX emulation (in
# platform_tests) and, cross-built, under Wine against the Win32 backend (tests/win32). Paths
# are relative to this folder. A case file that both backends must pass goes into
# TAPESTRON_CONFORMANCE_SOURCES; the per-system helpers come from the two lists below it.
set(TAPESTRON_CONFORMANCE_SOURCES
    registry_test.cpp
    profile_test.cpp
    files_test.cpp
    exclusivefile_test.cpp
    instance_test.cpp
    hotkeys_test.cpp
    system_test.cpp
    shell_test.cpp
    versioninfo_test.cpp
    helper.cpp
    main.cpp)
set(TAPESTRON_CONFORMANCE_POSIX_SOURCES
    childprocess_posix.cpp folderattributes_posix.cpp expandablestring_posix.cpp)
set(TAPESTRON_CONFORMANCE_WIN32_SOURCES
    childprocess_win32.cpp folderattributes_win32.cpp expandablestring_win32.cpp)
# The suite's program carries the program's version resource, which the version cases read back.
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/VersionResource.cmake)

# The suite's sources for this build, with their full paths, in <out>.
function(tapestron_conformance_sources out)
    if(WIN32)
        set(system ${TAPESTRON_CONFORMANCE_WIN32_SOURCES})
    else()
        set(system ${TAPESTRON_CONFORMANCE_POSIX_SOURCES})
    endif()
    set(sources ${TAPESTRON_CONFORMANCE_SOURCES} ${system})
    list(TRANSFORM sources PREPEND ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/)
    tapestron_version_resource_source(version conformance)
    set(${out} ${sources} ${version} PARENT_SCOPE)
endfunction()
