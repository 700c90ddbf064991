#pragma once

#include <benchmark/benchmark.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// Runs the benchmarks chosen on the command line inside an offscreen application whose message boxes show
// nothing. setUp runs once the application exists. The result is main's exit code.
int RunBenchmarks(int argc, char** argv, const std::function<void()>& setUp = {});

// A private copy of the shipped data folder, made once per run and removed at exit: windows write their
// settings into their data folder, and the source tree must stay as it is.
const std::filesystem::path& ShippedDataCopy();

// A folder of the shared fixtures: under TESSARIN_SHARED_DATA, else found above the working folder; empty
// when there is none.
std::filesystem::path SharedDataFolder(const std::string& name);

// How long work takes, in milliseconds.
double Milliseconds(const std::function<void()>& work);

// One side of a comparison: a measurement in milliseconds.
struct Side {
    std::string name;
    std::function<double()> measure;
};
// Measures every side once per iteration, in turn (each iteration starting with another side), so that all
// see the same machine, and reports each side's best (or worst) value and the first side's ratio to each of
// the others.
void CompareSides(benchmark::State& state, const std::vector<Side>& sides, bool keepWorst = false);
