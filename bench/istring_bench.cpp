// Benchmarks of IString: the comma split (linear) against the scanner loop, copies and joins.
#include "istring.hpp"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

// "arg0,arg1,...": n fields.
IString argumentString(long n) {
  std::string text;
  char field[32];
  for (long k = 0; k < n; ++k) {
    std::snprintf(field, sizeof field, k ? ",arg%ld" : "arg%ld", k);
    text += field;
  }
  return IString(text.c_str(), text.size());
}

void BM_Fields(benchmark::State& state) {
  const IString arguments = argumentString(state.range(0));
  for (auto _ : state) {
    std::vector<IString> fields = arguments.fields(",");
    benchmark::DoNotOptimize(fields.data());
  }
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Fields)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// The loop the split replaces: every step copies the remainder, so it is quadratic.
void BM_ScannerLoop(benchmark::State& state) {
  const IString arguments = argumentString(state.range(0));
  for (auto _ : state) {
    const unsigned long count = arguments.occurrencesOf(",") + 1;
    IString remainder = arguments;
    for (unsigned long k = 0; k < count; ++k) {
      IString element, rest;
      remainder >> element >> "," >> rest;
      remainder = rest;
      benchmark::DoNotOptimize(element.c_str());
    }
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ScannerLoop)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNSquared);

void BM_Copy(benchmark::State& state) {
  const IString source(std::string(std::size_t(state.range(0)), 'x').c_str());
  for (auto _ : state) {
    IString copy(source);
    benchmark::DoNotOptimize(copy.c_str());
  }
}
BENCHMARK(BM_Copy)->Arg(16)->Arg(4096);

void BM_Assign(benchmark::State& state) {
  const IString first(std::string(std::size_t(state.range(0)), 'x').c_str());
  const IString second(std::string(std::size_t(state.range(0)), 'y').c_str());
  IString target;
  for (auto _ : state) {
    target = first;
    benchmark::DoNotOptimize(target.c_str());
    target = second;
    benchmark::DoNotOptimize(target.c_str());
  }
  state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_Assign)->Arg(16)->Arg(4096);

void BM_Concatenate(benchmark::State& state) {
  const std::string half(std::size_t(state.range(0)) / 2, 'x');
  const IString a(half.c_str()), b(half.c_str());
  for (auto _ : state) {
    IString joined = a + b;
    benchmark::DoNotOptimize(joined.c_str());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Concatenate)->Arg(16)->Arg(4096);

} // namespace

BENCHMARK_MAIN();
