#pragma once

#include <filesystem>
#include <string>

// A fresh folder of this process under the temporary folder, removed with everything in it when the
// object goes: a target keeps its folder in a static, so it goes when the fuzzer or the replay ends.
struct Folder {
    std::filesystem::path path;
    // The folder is called name plus a unique suffix.
    explicit Folder(const std::string& name);
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
};
