# Compiler settings shared by every target of the project.

if(QW_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

if(QW_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "QW_FUZZ needs clang (libFuzzer)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# The engine's own texts (messages, operator strings, font faces) are written in UTF-8 in the
# sources and compiled into the game's code page, so string literals hold the bytes the game
# data uses. Clang only knows UTF-8; the fuzz build (clang) keeps UTF-8 literals, which does not
# matter to the parsers it exercises.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-fexec-charset=${QW_CODEPAGE}>)
    set(QW_LITERALS_IN_CODEPAGE ON)
else()
    set(QW_LITERALS_IN_CODEPAGE OFF)
endif()
if(QW_CODEPAGE STREQUAL "GBK")
    add_compile_definitions(QW_CODEPAGE_GBK=1)
endif()

# Warnings as errors on the engine, its tools and its tests.
function(qw_strict target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
