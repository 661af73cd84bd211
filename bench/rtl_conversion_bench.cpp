// Converting one entered value between text and its typed form sits on the hot path of
// typing and filtering. Each conversion is measured against the standard library's own
// parse or format of the same values in the same run, so the ratio shows what the
// locale handling and the checks cost on top.

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <vantor/platform/rtl/date_text.h>
#include <vantor/platform/rtl/field_type.h>
#include <vantor/platform/rtl/value_conversion.h>

namespace vantor {
namespace {

using enum TFieldType;

constexpr int kValues = 4096;

std::vector<std::int32_t> Integers() {
  std::mt19937 rng(7);
  std::uniform_int_distribution<std::int32_t> d(INT32_MIN, INT32_MAX);
  std::vector<std::int32_t> v(kValues);
  for (auto& x : v) x = d(rng);
  return v;
}

std::vector<double> Doubles() {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> d(-1e6, 1e6);
  std::vector<double> v(kValues);
  for (auto& x : v) x = d(rng);
  return v;
}

std::vector<std::string> Texts(TFieldType type, const std::vector<Variant>& values) {
  std::vector<std::string> texts;
  texts.reserve(values.size());
  for (const Variant& v : values) texts.push_back(VariantToText(type, v));
  return texts;
}

template <typename T>
std::vector<Variant> AsVariants(const std::vector<T>& values) {
  return std::vector<Variant>(values.begin(), values.end());
}

void BM_IntegerParseBaseline(benchmark::State& state) {
  const auto texts = Texts(ftInteger, AsVariants(Integers()));
  for (auto _ : state) {
    for (const std::string& t : texts) {
      std::int32_t v = 0;
      std::from_chars(t.data(), t.data() + t.size(), v);
      benchmark::DoNotOptimize(v);
    }
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_IntegerParseBaseline);

void BM_IntegerTextToVariant(benchmark::State& state) {
  const auto texts = Texts(ftInteger, AsVariants(Integers()));
  for (auto _ : state) {
    for (const std::string& t : texts) benchmark::DoNotOptimize(TextToVariant(ftInteger, t));
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_IntegerTextToVariant);

void BM_FloatParseBaseline(benchmark::State& state) {
  const auto texts = Texts(ftFloat, AsVariants(Doubles()));
  for (auto _ : state) {
    for (const std::string& t : texts) {
      double v = 0;
      std::from_chars(t.data(), t.data() + t.size(), v);
      benchmark::DoNotOptimize(v);
    }
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_FloatParseBaseline);

void BM_FloatTextToVariant(benchmark::State& state) {
  const auto texts = Texts(ftFloat, AsVariants(Doubles()));
  for (auto _ : state) {
    for (const std::string& t : texts) benchmark::DoNotOptimize(TextToVariant(ftFloat, t));
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_FloatTextToVariant);

void BM_FloatFormatBaseline(benchmark::State& state) {
  const auto values = Doubles();
  for (auto _ : state) {
    for (double d : values) {
      char buf[32];
      auto r = std::to_chars(buf, buf + sizeof buf, d);
      benchmark::DoNotOptimize(std::string(buf, r.ptr));
    }
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_FloatFormatBaseline);

void BM_FloatVariantToText(benchmark::State& state) {
  const auto values = AsVariants(Doubles());
  for (auto _ : state) {
    for (const Variant& v : values) benchmark::DoNotOptimize(VariantToText(ftFloat, v));
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_FloatVariantToText);

void BM_DateTextToVariant(benchmark::State& state) {
  std::vector<Variant> dates;
  for (int i = 0; i < kValues; ++i) dates.push_back(Variant::FromDate(36000.0 + i * 3));
  const auto texts = Texts(ftDate, dates);
  for (auto _ : state) {
    for (const std::string& t : texts) benchmark::DoNotOptimize(TextToVariant(ftDate, t));
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_DateTextToVariant);

}  // namespace
}  // namespace vantor
