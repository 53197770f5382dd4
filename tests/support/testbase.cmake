# tapestron_test_base: plain C++ helpers (temporary folders, environment, hand-built version
# resources, read-only folders on POSIX), usable by the platform tests on any system. Shared by
# the program's build and the stand-alone Windows build of the platform tests (tests/win32).
# gtest names GoogleTest's target.
function(tapestron_add_test_base gtest)
    set(folder ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
    add_library(tapestron_test_base STATIC ${folder}/tempenv.cpp ${folder}/versionimage.cpp)
    if(NOT WIN32)
        target_sources(tapestron_test_base PRIVATE ${folder}/readonlyfolders.cpp)
    endif()
    target_include_directories(tapestron_test_base PUBLIC ${folder})
    target_link_libraries(tapestron_test_base PUBLIC tapestron_options tapestron_platform ${gtest})
endfunction()
