#include "fw/path_text.h"

#include "fw/bounded_text.h"

bool ComposePath(char* out, size_t cap, std::initializer_list<const char*> parts) {
    BoundedText text(out, cap);
    for (const char* part : parts) text.Add(part);
    return text.Fits();
}
