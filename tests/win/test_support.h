// Helpers shared by the Windows-side tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Full path of a file that lies beside the running test program.
std::string PathBesideTestProgram(const char* fileName);

// A scratch folder under the temporary folder, removed with its content
// when the object goes away. Its path ends with a backslash.
class ScratchDir {
public:
    explicit ScratchDir(const char* name);
    ~ScratchDir();
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Removes a folder tree; true when it is gone.
bool RemoveTree(const std::string& folder);

// Writes |bytes| to |path|, replacing it; true on success.
bool WriteFileBytes(const std::string& path, const std::string& bytes);

// Reads a whole file; false when it cannot be opened.
bool ReadFileBytes(const std::string& path, std::string* bytes);

// True when |path| names an existing file or folder.
bool PathExists(const std::string& path);

// Names inside |folder| (with or without its closing "\"), not "." or "..",
// sorted; folders end with "\".
std::vector<std::string> ListFolder(const std::string& folder);
