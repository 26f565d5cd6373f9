# TOVALO_SANITIZE: every target built with AddressSanitizer and UndefinedBehaviorSanitizer,
# stopping at the first report. Where the compiler has libFuzzer, everything is also built
# with its coverage counters, so that the fuzz targets learn from the libraries they drive.
option(TOVALO_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
set(TOVALO_LIBFUZZER OFF)

if(TOVALO_SANITIZE)
    set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all)
    add_compile_options(${sanitizers} -fno-omit-frame-pointer)
    add_link_options(${sanitizers})

    include(CheckCXXSourceCompiles)
    set(CMAKE_REQUIRED_FLAGS "-fsanitize=fuzzer")
    check_cxx_source_compiles([[
        #include <cstddef>
        #include <cstdint>
        extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }
    ]] TOVALO_HAS_LIBFUZZER)
    unset(CMAKE_REQUIRED_FLAGS)
    if(TOVALO_HAS_LIBFUZZER)
        set(TOVALO_LIBFUZZER ON)
        add_compile_options(-fsanitize=fuzzer-no-link)
    endif()

    # Read by ctest itself before it runs anything (and by ./scripts/fuzz), so that every test
    # and every program a test starts reports as it should, the system libraries' own leaks
    # set aside.
    set(dir ${CMAKE_CURRENT_LIST_DIR}/sanitizers)
    set(options
        "ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:suppressions=${dir}/asan.supp"
        "LSAN_OPTIONS=suppressions=${dir}/lsan.supp:print_suppressions=0"
        "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
    set(for_ctest "")
    set(for_shell "")
    foreach(option IN LISTS options)
        string(FIND "${option}" "=" equals)
        string(SUBSTRING "${option}" 0 ${equals} name)
        math(EXPR start "${equals} + 1")
        string(SUBSTRING "${option}" ${start} -1 value)
        string(APPEND for_ctest "set(ENV{${name}} \"${value}\")\n")
        string(APPEND for_shell "export ${name}='${value}'\n")
    endforeach()
    file(WRITE ${CMAKE_BINARY_DIR}/SanitizerEnvironment.cmake "${for_ctest}")
    file(WRITE ${CMAKE_BINARY_DIR}/sanitizer-environment.sh "${for_shell}")
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY
        TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/SanitizerEnvironment.cmake)
endif()
