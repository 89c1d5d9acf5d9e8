// The one translation unit that compiles miniaudio's implementation. Its MA_* options
// come from the quillet_miniaudio_headers target, so every user sees the same layouts.
#define MINIAUDIO_IMPLEMENTATION
#include <miniaudio.h>
