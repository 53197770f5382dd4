# The sources of tapestron_platform, relative to this folder, and what each backend needs. Read by
# this folder's CMakeLists.txt and by the stand-alone Windows build of the platform tests
# (tests/win32), so each file is listed once.
set(TAPESTRON_PLATFORM_COMMON_SOURCES
    registrynames.cpp
    sharedblock.cpp
    temporaries.cpp
    versionblock.cpp
    versionimage.cpp)

set(TAPESTRON_PLATFORM_POSIX_SOURCES
    posix/posixsupport.cpp
    posix/registry.cpp
    posix/regfile.cpp
    posix/utf16.cpp
    posix/profile.cpp
    posix/files.cpp
    posix/programstore.cpp
    posix/exclusivefile.cpp
    posix/instance.cpp
    posix/hotkeys.cpp
    posix/desktop.cpp
    posix/desktop/session.cpp
    posix/desktop/process.cpp
    posix/desktop/backend.cpp
    posix/desktop/wallpaperfiles.cpp
    posix/desktop/desktopvalues.cpp
    posix/desktop/xdgentries.cpp
    posix/desktop/gsettingsbackend.cpp
    posix/desktop/gvarianttext.cpp
    posix/desktop/plasmabackend.cpp
    posix/desktop/xfcebackend.cpp
    posix/desktop/toolbackends.cpp
    posix/desktop/x11backend.cpp
    posix/desktop/x11connection.cpp
    posix/desktop/x11image.cpp
    posix/desktop/x11keys.cpp
    posix/shell.cpp
    posix/system.cpp
    posix/versioninfo.cpp)
set(TAPESTRON_PLATFORM_POSIX_LIBS rt)
# The X server is reached through libxcb; CMakeLists.txt finds it.
set(TAPESTRON_PLATFORM_POSIX_PACKAGES xcb)

set(TAPESTRON_PLATFORM_WIN32_SOURCES
    win32/win32support.cpp
    win32/registry.cpp
    win32/profile.cpp
    win32/files.cpp
    win32/exclusivefile.cpp
    win32/instance.cpp
    win32/hotkeys.cpp
    win32/desktop.cpp
    win32/system.cpp
    win32/shell.cpp
    win32/versioninfo.cpp)
set(TAPESTRON_PLATFORM_WIN32_LIBS user32 advapi32 shell32 version)
# Windows 7 and later; RegDeleteTreeW alone needs at least Vista.
set(TAPESTRON_PLATFORM_WIN32_DEFINITIONS
    _WIN32_WINNT=0x0601 WINVER=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)

# Adds the sources of the backend this build is for, and its libraries, to target.
function(tapestron_platform_backend target)
    set(folder ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
    if(WIN32)
        set(sources ${TAPESTRON_PLATFORM_WIN32_SOURCES})
        set(libs ${TAPESTRON_PLATFORM_WIN32_LIBS})
        target_compile_definitions(${target} PRIVATE ${TAPESTRON_PLATFORM_WIN32_DEFINITIONS})
    else()
        set(sources ${TAPESTRON_PLATFORM_POSIX_SOURCES})
        set(libs ${TAPESTRON_PLATFORM_POSIX_LIBS})
    endif()
    list(TRANSFORM sources PREPEND ${folder}/)
    list(TRANSFORM TAPESTRON_PLATFORM_COMMON_SOURCES PREPEND ${folder}/ OUTPUT_VARIABLE common)
    target_sources(${target} PRIVATE ${common} ${sources})
    target_link_libraries(${target} PRIVATE ${libs})
endfunction()
