#pragma once

#include <benchmark/benchmark.h>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// Two benchmarks printed side by side after the run as a ratio: every benchmark named `ours` (with any
// arguments after a '/') over the one named `theirs` with the same arguments. Real times compare, the
// fastest and the median repetition of each, or the named counter of their last repetitions.
struct Ratio {
    std::string ours;
    std::string theirs;
    std::string counter = {};
};

// The least and the middle of times taken (not empty).
double Fastest(const std::vector<double>& values);
double Median(std::vector<double> values);

// Runs the benchmarks chosen on the command line inside an offscreen application whose message boxes show
// nothing, then prints the ratios. setUp runs once the application exists. The result is main's exit code.
int RunBenchmarks(int argc, char** argv, const std::function<void()>& setUp = {},
                  const std::vector<Ratio>& ratios = {});

// RunBenchmarks with the repetitions of all benchmarks taken in a shuffled turn, so that a change of the
// machine's load falls on ours and the peer alike; a flag given on the command line still wins.
int RunInterleaved(int argc, char** argv, const std::function<void()>& setUp = {},
                   const std::vector<Ratio>& ratios = {});
// The settings of a benchmark of RunInterleaved: five repetitions, in milliseconds.
void Interleaved(benchmark::internal::Benchmark* benchmark);

// A private copy of the shipped data folder, made once per run and removed at exit: windows write their
// settings into their data folder, and the source tree must stay as it is.
const std::filesystem::path& ShippedDataCopy();

// A folder of this process under the temporary folder, removed with everything in it when it goes.
struct TempFolder {
    explicit TempFolder(const std::string& name);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::filesystem::path dir;
};

// A data folder seeded like a first start whose master.txt holds `lines` generated parts sorted by
// description (with descriptions as long as the real list's), or the real 17,620 parts when lines is 0.
// Made once per size and run, removed at exit.
const std::filesystem::path& MasterListFolder(int lines);

// The LDraw sample library the program ships.
std::filesystem::path SampleLibrary();
// A picture of the PNG and JPEG benchmarks: the small 16-bit one kept under tests/data/png-extra, the large
// ones made from a seed (support/generated_pictures.h).
std::filesystem::path BenchPicture(const std::string& name);
