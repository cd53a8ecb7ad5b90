# The text benchmarks' peers: ICU's line break iterator and FreeType used directly.
pkg_check_modules(BENCH_ICU REQUIRED IMPORTED_TARGET icu-uc icu-i18n)
pkg_check_modules(BENCH_FREETYPE REQUIRED IMPORTED_TARGET freetype2)
target_link_libraries(bench_${name} PRIVATE PkgConfig::BENCH_ICU PkgConfig::BENCH_FREETYPE)
