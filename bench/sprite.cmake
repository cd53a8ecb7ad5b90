# The peer, libpng decoding the same picture on its own, needs libpng directly.
pkg_check_modules(PNG_PEER REQUIRED IMPORTED_TARGET libpng)
target_link_libraries(bench_${name} PRIVATE PkgConfig::PNG_PEER)
