#pragma once

#include <filesystem>
#include <functional>

// Runs the benchmarks chosen on the command line inside an offscreen application whose message boxes show
// nothing. setUp runs once the application exists. The result is main's exit code.
int RunBenchmarks(int argc, char** argv, const std::function<void()>& setUp = {});

// A private copy of the shipped data folder, made once per run and removed at exit: windows write their
// settings into their data folder, and the source tree must stay as it is.
const std::filesystem::path& ShippedDataCopy();
