// Benchmarks of the registry file reader: parsing keys and values (linear), and a lookup.
#include "iregistryfile.hpp"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// n sections, each with the two values a runtime registers, as an installer writes them.
std::string manyKeys(long n) {
  std::string text = "Windows Registry Editor Version 5.00\r\n";
  for (long k = 0; k < n; ++k) {
    std::string number = std::to_string(k);
    text += "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Obel\\Product " + number + "\\1.6]\r\n";
    text += "\"RuntimeLib\"=\"C:\\\\Obel\\\\" + number + "\\\\bin\\\\client\\\\jvm.dll\"\r\n";
    text += "\"JavaHome\"=\"C:\\\\Obel\\\\" + number + "\"\r\n";
  }
  return text;
}

// n values in one key.
std::string manyValues(long n) {
  std::string text = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Obel]\n";
  for (long k = 0; k < n; ++k) {
    text += "\"Value " + std::to_string(k) + "\"=dword:" + std::to_string(k % 100000000) + "\n";
  }
  return text;
}

void parseBenchmark(benchmark::State& state, const std::string& text) {
  std::size_t held = 0;
  for (auto _ : state) {
    IRegistryFile file;
    bool parsed = file.parse(text);
    benchmark::DoNotOptimize(parsed);
    held = file.bytesHeld();
  }
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.counters["file_bytes"] = static_cast<double>(text.size());
  state.counters["held_per_byte"] = static_cast<double>(held) / static_cast<double>(text.size());
}

void BM_ParseKeys(benchmark::State& state) { parseBenchmark(state, manyKeys(state.range(0))); }
BENCHMARK(BM_ParseKeys)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_ParseValuesInOneKey(benchmark::State& state) {
  parseBenchmark(state, manyValues(state.range(0)));
}
BENCHMARK(BM_ParseValuesInOneKey)->Arg(1000)->Arg(10000)->Arg(100000)
    ->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

// A key and a value found in a file of n keys: the cost does not grow with the file.
void BM_LookUp(benchmark::State& state) {
  IRegistryFile file;
  file.parse(manyKeys(state.range(0)));
  const std::string key = "HKLM\\SOFTWARE\\Obel\\Product " + std::to_string(state.range(0) / 2) + "\\1.6";
  for (auto _ : state) {
    IRegistryFile::Value value{};
    bool found = file.findValue(file.findKey(key.c_str()), "javahome", value);
    benchmark::DoNotOptimize(found);
    benchmark::DoNotOptimize(value.data);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LookUp)->Arg(1000)->Arg(100000)->Complexity(benchmark::o1);

} // namespace

BENCHMARK_MAIN();
