# The effects buffer beside SDL2_mixer on SDL's disk driver, and its whole-file decode beside
# libvorbisfile.
pkg_check_modules(BENCH_SOUND_EFFECTS REQUIRED IMPORTED_TARGET SDL2_mixer sdl2 vorbisfile)
target_link_libraries(bench_sound_effects PRIVATE qwbackends qw_test_support
                      PkgConfig::BENCH_SOUND_EFFECTS qw_oggenc)
