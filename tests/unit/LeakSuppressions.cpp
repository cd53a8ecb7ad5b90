// fontconfig keeps its process-wide configuration and caches until the process ends; the leak
// checker of the sanitizer build is told so here, so the test program needs no options file.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}
