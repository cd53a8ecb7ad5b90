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

/* The layer reports: page flag (1 back, 0 front), layer, then the values. */
void QWDOnLayOverlap(void) { Log("lay overlap\n"); }

void QWDOnUpdateLayImage(int page, int layer, const char* name, int width, int height,
                         const void* pixels) {
    char line[160];
    snprintf(line, sizeof line, "lay image %d %d \"%s\" %d %d %s\n", page, layer, name, width,
             height, pixels ? "pixels" : "null");
    Log(line);
}

static void LogInts(const char* what, int page, int layer, int count, int a, int b, int c) {
    char line[128];
    int n = snprintf(line, sizeof line, "lay %s %d %d %d", what, page, layer, a);
    if (count > 1) n += snprintf(line + n, sizeof line - (size_t)n, " %d", b);
    if (count > 2) n += snprintf(line + n, sizeof line - (size_t)n, " %d", c);
    snprintf(line + n, sizeof line - (size_t)n, "\n");
    Log(line);
}

void QWDOnUpdateLayDrawPos(int page, int layer, int x, int y, int z) {
    LogInts("pos", page, layer, 3, x, y, z);
}
void QWDOnUpdateLayDrawSize(int page, int layer, int w, int h) {
    LogInts("size", page, layer, 2, w, h, 0);
}
void QWDOnUpdateLayColor(int page, int layer, unsigned int colour) {
    char line[64];
    snprintf(line, sizeof line, "lay color %d %d %08X\n", page, layer, colour);
    Log(line);
}
void QWDOnUpdateLayBlend(int page, int layer, int v) { LogInts("blend", page, layer, 1, v, 0, 0); }
void QWDOnUpdateLayAnti(int page, int layer, int v) { LogInts("anti", page, layer, 1, v, 0, 0); }
void QWDOnUpdateLayActListNo(int page, int layer, int v) {
    LogInts("action", page, layer, 1, v, 0, 0);
}
void QWDOnUpdateLayCamera(int page, int layer, int v) {
    LogInts("camera", page, layer, 1, v, 0, 0);
}
void QWDOnUpdateLayCamBill(int page, int layer, int v) { LogInts("bill", page, layer, 1, v, 0, 0); }
void QWDOnUpdateLayCamXYRate(int page, int layer, float v) {
    char line[64];
    snprintf(line, sizeof line, "lay xyrate %d %d %g\n", page, layer, (double)v);
    Log(line);
}
void QWDOnUpdateLayCamWRate(int page, int layer, float v) {
    char line[64];
    snprintf(line, sizeof line, "lay wrate %d %d %g\n", page, layer, (double)v);
    Log(line);
}
