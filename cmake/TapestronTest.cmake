include(GoogleTest)

# tapestron_add_test(<name> SOURCES ... [LIBS ...] [GUI] [PLATFORM <qpa>])
# One test program per subsystem; every case becomes its own CTest test. GUI programs run on the
# offscreen Qt platform, or the one PLATFORM names (such as the offscreen platform with a
# configuration file), and carry the "gui" label.
function(tapestron_add_test name)
    cmake_parse_arguments(T "GUI" "PLATFORM" "SOURCES;LIBS" ${ARGN})
    if(NOT T_PLATFORM)
        set(T_PLATFORM offscreen)
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE tapestron_options ${T_LIBS} GTest::gtest GTest::gmock)
    set(labels "${name}")
    if(T_GUI)
        list(APPEND labels gui)
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 30
        # No case reaches the developer's own desktop: those that drive a desktop start their own
        # and name it themselves.
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=${T_PLATFORM}"
                   ENVIRONMENT_MODIFICATION "TAPESTRON_DESKTOP=set:none"
                   TIMEOUT 120)
    # The discovery's properties are one flat list of names and values, which would split a list
    # of labels: they are set on the discovered tests afterwards.
    set(labelling "${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake")
    file(WRITE "${labelling}"
        "if(${name}_TESTS)\n"
        "    set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${labels}\")\n"
        "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${labelling}")
endfunction()
