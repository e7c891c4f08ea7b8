// Timing two ways of drawing the same frame in one run: frames alternate
// between the sides, each side going first in every other pair, and each
// side's median is reported with the repetitions' spread.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <vector>

#include <benchmark/benchmark.h>

namespace kelvbench {

template <class Frame>
double Seconds(Frame&& frame) {
  const auto t0 = std::chrono::steady_clock::now();
  frame();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Medians: on a shared machine a frame slowed by another program says
// nothing about either side.
inline double Median(std::vector<double> v) {
  std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
  return v[v.size() / 2];
}

// Runs the benchmark's iterations, one frame of each side per iteration.
template <class First, class Second>
void Interleave(benchmark::State& state, First&& first, Second&& second, std::vector<double>* firstTimes,
                std::vector<double>* secondTimes) {
  bool firstLeads = true;
  for (auto _ : state) {
    if (firstLeads) {
      firstTimes->push_back(Seconds(first));
      secondTimes->push_back(Seconds(second));
    } else {
      secondTimes->push_back(Seconds(second));
      firstTimes->push_back(Seconds(first));
    }
    firstLeads = !firstLeads;
  }
}

// Long enough to be stable, repeated for the spread (min and max beside the
// mean, median and deviation).
inline benchmark::internal::Benchmark* WithSpread(benchmark::internal::Benchmark* b) {
  return b->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->MinTime(3.0)
      ->Repetitions(5)
      ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
      ->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });
}

}  // namespace kelvbench
