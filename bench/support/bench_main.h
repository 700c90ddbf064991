#pragma once

#include <functional>

// Runs the benchmarks chosen on the command line inside an offscreen application whose message boxes show
// nothing. setUp runs once the application exists. The result is main's exit code.
int RunBenchmarks(int argc, char** argv, const std::function<void()>& setUp = {});
