# The target draws text: the leak checker is told about fontconfig's lifetime caches.
target_sources(fuzz_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/unit/LeakSuppressions.cpp)
