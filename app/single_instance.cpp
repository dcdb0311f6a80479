#include "app/single_instance.h"

#include <cstring>

#include "fw/bounded_text.h"

bool IsRunningSetupWindow(const WindowFacts& facts, const char* titleWord, const char* markerText) {
    if (!facts.unownedAndAlive || !facts.enabled) return false;
    if (!facts.title || !strstr(facts.title, titleWord)) return false;
    return facts.marker && strcmp(facts.marker, markerText) == 0;
}

bool ComposeRunMutexName(const char* tempArchiveName, char* out, size_t cap) {
    return BoundedText(out, cap).Add("Global\\").Add(tempArchiveName).Add(".run").Fits();
}
