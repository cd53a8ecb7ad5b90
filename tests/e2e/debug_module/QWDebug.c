/* A development module for the end-to-end tests: it writes every call it receives to the file
   named by QW_DEBUG_LOG. */
#include <stdio.h>
#include <stdlib.h>

static FILE* log_file;

static void Log(const char* text) {
    if (!log_file) {
        const char* path = getenv("QW_DEBUG_LOG");
        if (!path) return;
        log_file = fopen(path, "w");
        if (!log_file) return;
    }
    fputs(text, log_file);
    fflush(log_file);
}

void QWDInitialize(const void* window) { Log(window ? "init window\n" : "init\n"); }

void QWDRelease(void) {
    Log("release\n");
    if (log_file) fclose(log_file);
    log_file = NULL;
}

void QWDOnUpdateValue(int index, int value) {
    char line[64];
    snprintf(line, sizeof line, "value %d %d\n", index, value);
    Log(line);
}

void QWDOnSnrFileChange(const char* name) {
    char line[128];
    snprintf(line, sizeof line, "file %s\n", name);
    Log(line);
}
