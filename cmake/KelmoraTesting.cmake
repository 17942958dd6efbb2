# GoogleTest: the system package natively; for the MinGW build, compiled from the sources that
# Debian's googletest package ships.
if(CMAKE_CROSSCOMPILING)
    set(KELMORA_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${KELMORA_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    # GoogleTest's own build defines the GTest:: aliases.
else()
    find_package(GTest REQUIRED)
endif()

# kelmora_add_test(<name> LABEL <module> SOURCES <files...> LIBS <targets...>)
# One CTest entry per test executable, labelled by module. Tests run from the bin folder so
# that "language\" and the bridge library are found beside the executable, as in the field.
function(kelmora_add_test name)
    cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock kelmora_testmain)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1 WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABEL}" TIMEOUT 600
        ENVIRONMENT "LC_ALL=C.UTF-8;LANGUAGE=;TZ=UTC")
endfunction()
