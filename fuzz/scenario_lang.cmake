# The assembler and disassembler core lives with the tools.
file(GLOB scenario_lang_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/scenario_lang/*.cpp)
target_sources(fuzz_${name} PRIVATE ${scenario_lang_sources})
target_include_directories(fuzz_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tools)
