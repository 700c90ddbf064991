#include "support/folder.h"

#include <cstdlib>
#include <system_error>

Folder::Folder(const std::string& name) {
    std::string pattern = (std::filesystem::temp_directory_path() / (name + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) std::abort();
    path = pattern;
}

Folder::~Folder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}
