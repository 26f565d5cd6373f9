include(GenerateExportHeader)
include(GNUInstallDirs)
include(CheckLinkerFlag)

# gold lays sections out in the order a file gives (binutils' gold, beside ld).
check_linker_flag(CXX -fuse-ld=gold TOVALO_HAVE_GOLD)

# tovalo_add_library(<name> SOURCES ... [PUBLIC ...] [PRIVATE ...] [COMPILE_OPTIONS ...])
# Makes the shared library <name>, its alias Tovalo::<name>, the export header
# <name>/<name>_export.h with the macro <NAME>_EXPORT, and its install rules.
function(tovalo_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC;PRIVATE;COMPILE_OPTIONS" ${ARGN})
    add_library(${name} SHARED ${ARG_SOURCES})
    add_library(Tovalo::${name} ALIAS ${name})
    string(TOUPPER ${name} upper)
    set(export_dir ${CMAKE_BINARY_DIR}/exports)
    generate_export_header(${name}
        BASE_NAME ${name}
        EXPORT_MACRO_NAME ${upper}_EXPORT
        EXPORT_FILE_NAME ${export_dir}/${name}/${name}_export.h)
    target_include_directories(${name}
        PUBLIC
            $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
            $<BUILD_INTERFACE:${export_dir}>
            $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>
        PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    set_target_properties(${name} PROPERTIES
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON
        VERSION ${PROJECT_VERSION}
        SOVERSION ${PROJECT_VERSION_MAJOR})
    if(ARG_PUBLIC)
        target_link_libraries(${name} PUBLIC ${ARG_PUBLIC})
    endif()
    if(ARG_PRIVATE)
        target_link_libraries(${name} PRIVATE ${ARG_PRIVATE})
    endif()
    # Built for size: a start pages in nearly all of a library it maps, so its code is memory
    # the launcher holds. What runs for every frame keeps speed by options on its own sources.
    if(NOT TOVALO_SANITIZE)
        target_compile_options(${name} PRIVATE $<$<CONFIG:Release,RelWithDebInfo>:-Os>)
        # The functions a start runs, listed in startup-order.txt beside the library, lie
        # together, so that a start pages in those and not the whole of the library's code.
        set(order ${CMAKE_CURRENT_SOURCE_DIR}/startup-order.txt)
        if(EXISTS ${order} AND TOVALO_HAVE_GOLD)
            target_compile_options(${name} PRIVATE -ffunction-sections)
            target_link_options(${name} PRIVATE -fuse-ld=gold
                -Wl,--section-ordering-file=${order})
            set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${order})
        endif()
    endif()
    if(ARG_COMPILE_OPTIONS)
        target_compile_options(${name} PRIVATE ${ARG_COMPILE_OPTIONS})
    endif()
    # The libraries lie together in one private folder, found from each other's own folder.
    set_target_properties(${name} PROPERTIES INSTALL_RPATH "$ORIGIN" BUILD_WITH_INSTALL_RPATH ON)
    if(TOVALO_INSTALL_DEVELOPMENT)
        install(TARGETS ${name} LIBRARY DESTINATION ${TOVALO_LIBDIR})
        install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/include/
            DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tovalo)
        install(FILES ${export_dir}/${name}/${name}_export.h
            DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tovalo/${name})
    else()
        install(TARGETS ${name} LIBRARY DESTINATION ${TOVALO_LIBDIR} NAMELINK_SKIP)
    endif()
endfunction()

# tovalo_install_program(<target>)
# Installs an executable into bin/, its run path pointing at the private library folder.
function(tovalo_install_program name)
    set_target_properties(${name} PROPERTIES
        INSTALL_RPATH "$ORIGIN/../${TOVALO_LIBDIR}" BUILD_WITH_INSTALL_RPATH ON)
    install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# tovalo_add_test(<name> SOURCES ... [LINKS ...])
# A GoogleTest executable registered with CTest; every case runs in its own process.
function(tovalo_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Tovalo::testsupport GTest::gtest GTest::gtest_main ${ARG_LINKS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    # Where the built programs are, for tests that run them.
    target_compile_definitions(${name} PRIVATE TOVALO_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS ${name})
endfunction()

# tovalo_add_fuzz(<name> SOURCES ... [LINKS ...] INPUTS <folder>... [MAX_LEN <bytes>])
# A fuzz target (LLVMFuzzerTestOneInput) and its test. With libFuzzer (a sanitized clang build)
# the test fuzzes for TOVALO_FUZZ_SECONDS from the inputs, keeping what it learns in a corpus
# folder of the build; without it, the test runs every saved input once through a plain driver.
set(TOVALO_FUZZ_SECONDS 15 CACHE STRING "How long each fuzz test fuzzes in a libFuzzer build")
file(WRITE ${CMAKE_BINARY_DIR}/fuzz/targets.txt "")
function(tovalo_add_fuzz name)
    cmake_parse_arguments(ARG "" "MAX_LEN" "SOURCES;LINKS;INPUTS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LINKS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    if(NOT ARG_MAX_LEN)
        set(ARG_MAX_LEN 8192)
    endif()
    if(TOVALO_LIBFUZZER)
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
        set(corpus ${CMAKE_BINARY_DIR}/fuzz/${name}/corpus)
        file(MAKE_DIRECTORY ${corpus})
        add_test(NAME ${name}
            COMMAND ${name} -max_total_time=${TOVALO_FUZZ_SECONDS} -max_len=${ARG_MAX_LEN}
                    -timeout=10 -rss_limit_mb=2048
                    -artifact_prefix=${CMAKE_BINARY_DIR}/fuzz/${name}/
                    ${corpus} ${ARG_INPUTS})
    else()
        target_link_libraries(${name} PRIVATE fuzzdriver)
        add_test(NAME ${name} COMMAND ${name} ${ARG_INPUTS})
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT 300 LABELS fuzz)
    # The inputs, for ./scripts/fuzz.
    string(JOIN " " inputs ${ARG_INPUTS})
    file(APPEND ${CMAKE_BINARY_DIR}/fuzz/targets.txt "${name} ${ARG_MAX_LEN} ${inputs}\n")
endfunction()
