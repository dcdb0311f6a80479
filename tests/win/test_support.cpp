#include "tests/win/test_support.h"

#include <algorithm>
#include <cstdio>

std::string PathBesideTestProgram(const char* fileName) {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    folder.erase(folder.find_last_of("\\/") + 1);
    return folder + fileName;
}

ScratchDir::ScratchDir(const char* name) {
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    path_ = std::string(temp) + name + "_" + std::to_string(GetCurrentProcessId()) + "\\";
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchDir::~ScratchDir() { RemoveTree(path_); }

bool RemoveTree(const std::string& folder) {
    std::string base = folder;
    if (!base.empty() && base.back() != '\\') base += '\\';
    WIN32_FIND_DATAA item;
    HANDLE find = FindFirstFileA((base + "*").c_str(), &item);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = item.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = base + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (item.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &item));
        FindClose(find);
    }
    RemoveDirectoryA(base.c_str());
    return GetFileAttributesA(base.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

bool ReadFileBytes(const std::string& path, std::string* bytes) {
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return false;
    bytes->clear();
    char block[8192];
    size_t n;
    while ((n = fread(block, 1, sizeof block, file)) > 0) bytes->append(block, n);
    fclose(file);
    return true;
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> ListFolder(const std::string& folder) {
    std::string base = folder;
    if (!base.empty() && base.back() != '\\') base += '\\';
    std::vector<std::string> names;
    WIN32_FIND_DATAA item;
    HANDLE find = FindFirstFileA((base + "*").c_str(), &item);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = item.cFileName;
        if (name == "." || name == "..") continue;
        if (item.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) name += '\\';
        names.push_back(name);
    } while (FindNextFileA(find, &item));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}
