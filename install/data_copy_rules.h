// The walk of the data-folder copy: where the data folder lies and which listed items it
// passes over. Pure text; the walker does the file calls and composes its paths with
// ComposePath.
#pragma once

#include <cstddef>

// The data folder beside the setup program: the folder of |setupPath| (the
// program's full path) followed by "\data\". False, and |out| empty (when |cap| > 0), when
// |setupPath| has no "\" or the result does not fit.
bool ComposeDataSourceDir(const char* setupPath, char* out, size_t cap);

// True for the "." and ".." items a folder listing returns, which the walk skips.
bool IsSelfOrParentItem(const char* name);
