# MS1_SANITIZE builds every target (the program, its libraries, the tests and the build-time
# tools) with AddressSanitizer and UndefinedBehaviorSanitizer. Any finding ends the process
# with an error, so the test that ran it fails; nothing is only printed and let go.
option(MS1_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

# What every test, and every program a test starts, runs with (they inherit it).
set(MS1_TEST_ENVIRONMENT QT_QPA_PLATFORM=offscreen)

if(MS1_SANITIZE)
    set(MS1_SANITIZER_FLAGS
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_compile_options(${MS1_SANITIZER_FLAGS})
    add_link_options(${MS1_SANITIZER_FLAGS})
    # A finding aborts, so a test that expects some exit code from a program it starts
    # (1 for a second instance, say) can never take a finding for that code. Leaks are
    # suppressed only inside system libraries (fontconfig and the like), never in our code:
    # see the file for each entry's reason.
    list(APPEND MS1_TEST_ENVIRONMENT
        "ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
        "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/leak-suppressions.txt:print_suppressions=0"
        "UBSAN_OPTIONS=abort_on_error=1:halt_on_error=1:print_stacktrace=1")
endif()
