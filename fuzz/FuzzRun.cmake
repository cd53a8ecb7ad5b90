# One run of a libFuzzer target, as the smoke tests and `make fuzz-long` start it:
#   cmake -DFUZZER=<binary> -DNAME=<target> -DSECONDS=<n> -DINPUT_TIMEOUT=<n> -DRSS_MB=<n>
#         -DARTIFACTS=<dir> -DWORK=<dir> [-DSEEDS=<dir>] -P FuzzRun.cmake
# The environment variable QW_FUZZ_SECONDS, when set, replaces SECONDS (longer local runs from the
# same build). An input that runs longer than INPUT_TIMEOUT seconds, crashes, leaks or needs more
# than RSS_MB megabytes fails the run at once; libFuzzer writes it under ARTIFACTS and this script
# names it, with the command that reproduces it. A run that overstays its budget by a minute is
# killed (a hang that libFuzzer's own timer misses still ends).
cmake_minimum_required(VERSION 3.22)

if(DEFINED ENV{QW_FUZZ_SECONDS} AND NOT "$ENV{QW_FUZZ_SECONDS}" STREQUAL "")
    set(SECONDS $ENV{QW_FUZZ_SECONDS})
endif()
# QW_FUZZ_INPUT_TIMEOUT likewise replaces INPUT_TIMEOUT: the per-input timeout is wall-clock time,
# and a long run at low priority on a busy machine needs more of it than a smoke run.
if(DEFINED ENV{QW_FUZZ_INPUT_TIMEOUT} AND "$ENV{QW_FUZZ_INPUT_TIMEOUT}" MATCHES "^[1-9][0-9]*$")
    set(INPUT_TIMEOUT $ENV{QW_FUZZ_INPUT_TIMEOUT})
endif()
if(NOT SECONDS MATCHES "^[0-9]+$" OR SECONDS EQUAL 0)
    message(FATAL_ERROR "fuzz_${NAME}: the run time must be a positive number of seconds, not '${SECONDS}'")
endif()
math(EXPR backstop "${SECONDS} + 60 + ${INPUT_TIMEOUT}")

file(MAKE_DIRECTORY ${ARTIFACTS} ${WORK})
set(seeds)
if(SEEDS AND EXISTS ${SEEDS})
    set(seeds ${SEEDS})
endif()

set(ENV{ASAN_OPTIONS} "detect_leaks=1:$ENV{ASAN_OPTIONS}")
set(ENV{UBSAN_OPTIONS} "print_stacktrace=1:$ENV{UBSAN_OPTIONS}")
execute_process(
    COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=${INPUT_TIMEOUT} -rss_limit_mb=${RSS_MB}
            -malloc_limit_mb=${RSS_MB} -artifact_prefix=${ARTIFACTS}/ -print_final_stats=1
            ${WORK} ${seeds}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output
    TIMEOUT ${backstop})

# Executions and corpus size for the summary line (campaign figures).
set(executions "?")
if(output MATCHES "stat::number_of_executed_units: ([0-9]+)")
    set(executions ${CMAKE_MATCH_1})
endif()
file(GLOB corpus_files ${WORK}/*)
list(LENGTH corpus_files corpus_size)

if(result EQUAL 0)
    message(STATUS "fuzz_${NAME}: ${executions} executions in ${SECONDS} s, corpus ${corpus_size} inputs, no finding")
    return()
endif()

# Only the tail of a failing run matters: the report and the input it names.
string(LENGTH "${output}" length)
if(length GREATER 12000)
    math(EXPR from "${length} - 12000")
    string(SUBSTRING "${output}" ${from} -1 output)
    set(output "...\n${output}")
endif()
message("${output}")
set(found)
string(REGEX MATCHALL "Test unit written to [^\n]+" lines "${output}")
foreach(line ${lines})
    string(REGEX REPLACE "^Test unit written to " "" path "${line}")
    list(APPEND found ${path})
endforeach()
if(found)
    list(GET found -1 input)
    message(FATAL_ERROR "fuzz_${NAME}: FAILED on input ${input}\n"
                        "  reproduce: ${FUZZER} ${input}\n"
                        "  keep it as a fixture in fuzz/corpus/${NAME}/ with a unit test")
elseif(result MATCHES "timeout|Timeout")
    message(FATAL_ERROR "fuzz_${NAME}: FAILED, still running after ${backstop} s and killed (no input "
                        "was written; the last ones tried are in ${WORK})")
else()
    message(FATAL_ERROR "fuzz_${NAME}: FAILED (exit ${result}) without writing an input")
endif()
