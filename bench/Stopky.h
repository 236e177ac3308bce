#pragma once
// The wall-clock seconds one call takes, for the report benchmarks.
#include <chrono>

template <class F>
double sekundy(F&& f) {
  const auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}
