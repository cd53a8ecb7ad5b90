# Compiler settings shared by every target of the project.

if(QW_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

if(QW_TSAN)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()

if(QW_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "QW_FUZZ needs clang (libFuzzer)")
    endif()
    # Undefined behaviour stops the run like a crash, so the fuzzer keeps the input.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# The engine's own texts (messages, operator strings, font faces) are written in UTF-8 in the
# sources and compiled into the game's code page, so string literals hold the bytes the game
# data uses. Clang only knows UTF-8; the fuzz build (clang) keeps UTF-8 literals, which does not
# matter to the parsers it exercises.
#
# Only the engine and its tests are compiled this way (`qw_game_text`); tools and benchmarks keep
# UTF-8 literals. A standard header that holds a character outside the code page cannot be
# included there: <chrono> is one (its "µs" suffix), so engine code uses platform::Clock.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    set(QW_LITERALS_IN_CODEPAGE ON)
else()
    set(QW_LITERALS_IN_CODEPAGE OFF)
endif()
function(qw_game_text target)
    if(QW_LITERALS_IN_CODEPAGE)
        target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fexec-charset=${QW_CODEPAGE}>)
        target_compile_definitions(${target} PRIVATE QW_LITERALS_IN_CODEPAGE=1)
    endif()
endfunction()
if(QW_CODEPAGE STREQUAL "GBK")
    add_compile_definitions(QW_CODEPAGE_GBK=1)
endif()

# Warnings as errors on the engine, its tools and its tests.
function(qw_strict target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
    # gcc 12 at -O3 reports standard string and vector code inlined into ours as overlapping or
    # overflowing copies: false positives of -Wrestrict and -Wstringop-overflow, quieter in later
    # releases. The sanitizer build checks the real accesses.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-restrict -Wno-stringop-overflow)
    endif()
endfunction()
