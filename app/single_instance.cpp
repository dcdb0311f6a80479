#include "app/single_instance.h"

#include <cstring>

bool IsRunningSetupWindow(const WindowFacts& facts, const char* titleWord, const char* markerText) {
    if (!facts.unownedAndAlive || !facts.enabled) return false;
    if (!facts.title || !strstr(facts.title, titleWord)) return false;
    return facts.marker && strcmp(facts.marker, markerText) == 0;
}
