include(GoogleTest)

# tapestron_add_test(<name> SOURCES ... [LIBS ...] [GUI])
# One test program per subsystem; every case becomes its own CTest test. GUI programs run on the
# offscreen Qt platform and carry the "gui" label.
function(tapestron_add_test name)
    cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE tapestron_options ${T_LIBS} GTest::gtest GTest::gmock)
    # No case reaches the developer's own desktop: those that drive a desktop start their own
    # and name it themselves.
    set(env "QT_QPA_PLATFORM=offscreen;TAPESTRON_DESKTOP=none")
    set(labels "${name}")
    if(T_GUI)
        list(APPEND labels gui)
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 30
        PROPERTIES ENVIRONMENT "${env}" LABELS "${labels}" TIMEOUT 120)
endfunction()
