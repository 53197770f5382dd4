# The version resource of the program, described once. Windows builds compile it from an .rc file
# written from this description (with the program's icon); elsewhere tools/versionres encodes the
# same VS_VERSIONINFO block and the executable carries it in an ELF section, where the platform
# layer's version reader finds it.
include_guard(DIRECTORY)

# The version is the root project's, also when a build of its own (such as the Windows test
# build) includes this file.
if(NOT DEFINED Tapestron_VERSION)
    file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../CMakeLists.txt _project REGEX "^project\\(Tapestron")
    string(REGEX REPLACE ".*VERSION ([0-9.]+).*" "\\1" Tapestron_VERSION "${_project}")
endif()

# The same version for the C++ code: tapestron/version.h in TAPESTRON_VERSION_INCLUDE_DIR.
string(REGEX MATCH "^[0-9]+\\.[0-9]+" TAPESTRON_VERSION_SHORT "${Tapestron_VERSION}")
set(TAPESTRON_VERSION_INCLUDE_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in
               ${TAPESTRON_VERSION_INCLUDE_DIR}/tapestron/version.h @ONLY)

set(TAPESTRON_VERSION_FLAGS_MASK 0x3F) # VS_FFI_FILEFLAGSMASK
set(TAPESTRON_VERSION_FLAGS 0x0)       # a release: no debug, pre-release or special build
set(TAPESTRON_VERSION_OS 0x40004)      # VOS_NT_WINDOWS32
set(TAPESTRON_VERSION_TYPE 0x1)        # VFT_APP
set(TAPESTRON_VERSION_SUBTYPE 0x0)     # VFT2_UNKNOWN
set(TAPESTRON_VERSION_LANGUAGE 0409)   # U.S. English
set(TAPESTRON_VERSION_CODE_PAGE 04E4)  # Windows-1252
set(TAPESTRON_VERSION_STRINGS
    "CompanyName=The Tapestron developers"
    "FileDescription=Tapestron"
    "FileVersion=${Tapestron_VERSION}"
    "InternalName=tapestron"
    "LegalCopyright=Copyright (C) 2026 The Tapestron developers"
    "OriginalFilename=tapestron.exe"
    "ProductName=Tapestron"
    "ProductVersion=${Tapestron_VERSION}")
get_filename_component(TAPESTRON_VERSION_RC_TEMPLATE
    ${CMAKE_CURRENT_LIST_DIR}/../src/app/tapestron.rc.in ABSOLUTE)
get_filename_component(TAPESTRON_ICON ${CMAKE_CURRENT_LIST_DIR}/../src/app/tapestron.ico ABSOLUTE)

if(WIN32)
    enable_language(RC)
endif()

# Writes the source that carries the program's version resource for an executable named name into
# this folder's build folder and puts its path in <out>: an .rc file for Windows builds, a C++ file
# with the encoded block elsewhere. Targets of the calling folder may list it among their sources.
# Further arguments "Key=Value" replace the program's string of that key (a plug-in names itself).
function(tapestron_version_resource_source out name)
    set(strings ${TAPESTRON_VERSION_STRINGS})
    foreach(own IN LISTS ARGN)
        string(REGEX REPLACE "=.*" "" own_key "${own}")
        list(FILTER strings EXCLUDE REGEX "^${own_key}=")
        list(APPEND strings "${own}")
    endforeach()
    if(WIN32)
        string(REPLACE "." "," version_commas "${Tapestron_VERSION}")
        set(string_values "")
        foreach(entry IN LISTS strings)
            string(FIND "${entry}" "=" equals)
            string(SUBSTRING "${entry}" 0 ${equals} key)
            math(EXPR value_start "${equals} + 1")
            string(SUBSTRING "${entry}" ${value_start} -1 value)
            string(APPEND string_values "            VALUE \"${key}\", \"${value}\"\n")
        endforeach()
        set(source ${CMAKE_CURRENT_BINARY_DIR}/${name}_version.rc)
        configure_file(${TAPESTRON_VERSION_RC_TEMPLATE} ${source} @ONLY)
    else()
        set(source ${CMAKE_CURRENT_BINARY_DIR}/${name}_version.cpp)
        add_custom_command(
            OUTPUT ${source}
            COMMAND tapestron-versionres ${source} ${Tapestron_VERSION} ${Tapestron_VERSION}
                    ${TAPESTRON_VERSION_FLAGS_MASK} ${TAPESTRON_VERSION_FLAGS}
                    ${TAPESTRON_VERSION_OS} ${TAPESTRON_VERSION_TYPE} ${TAPESTRON_VERSION_SUBTYPE}
                    ${TAPESTRON_VERSION_LANGUAGE}${TAPESTRON_VERSION_CODE_PAGE}
                    ${strings}
            DEPENDS tapestron-versionres ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
            COMMENT "Encoding the version block of ${name}"
            VERBATIM)
    endif()
    set(${out} ${source} PARENT_SCOPE)
endfunction()

# Gives target the program's version resource; further arguments as above.
function(tapestron_version_resource target)
    tapestron_version_resource_source(source ${target} ${ARGN})
    target_sources(${target} PRIVATE ${source})
endfunction()
