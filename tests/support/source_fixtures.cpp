// The tests' fixtures in the source tree; apart from test_support.cpp, which the benchmarks build without
// gtest.
#include <gtest/gtest.h>

#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

fs::path SourceFixture(const fs::path& relative) {
    const char* env = std::getenv("TESSARIN_SOURCE_DIR");
    const fs::path path = fs::path(env ? env : ".") / relative;
    std::error_code error;
    if (!fs::exists(path, error)) ADD_FAILURE() << "missing fixture " << relative.string();
    return path;
}

} // namespace

fs::path TestData(const std::string& name) {
    return SourceFixture(fs::path("tests") / "data" / name);
}

fs::path ShippedData(const std::string& name) {
    return SourceFixture(fs::path("data") / name);
}
