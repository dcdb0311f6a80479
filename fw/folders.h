// Making folders on the disk.
#pragma once

// Makes |folder| (CP949); one that exists already counts as made. False otherwise, with the
// reason in GetLastError.
bool MakeFolder(const char* folder);

// Makes |path| and every folder above it: each prefix that ends before a "\" or a "/" (both
// separate, as in the names of archive entries), then |path| itself unless it ends with a
// separator. Prefixes that cannot be made (a drive "C:") are passed over. True when the
// last folder exists afterwards.
bool MakeFolderChain(const char* path);
