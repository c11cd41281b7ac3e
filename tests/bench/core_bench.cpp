// Benchmarks of the text work of one run, at 1 KiB, 32 KiB (about the
// Windows command-line limit of 32,767 units) and 1 MiB of input. Run by
// scripts/bench.sh, which checks that each grows linearly.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "cli/argument_parser.h"
#include "cli/help.h"
#include "compose/console_command_line.h"
#include "compose/powershell_command.h"
#include "compose/quoting.h"
#include "text/lower_case.h"
#include "text/wtf8.h"

namespace vornalt {
namespace {

// Text of `size` bytes: words of several lengths, ASCII and not, with some
// characters that need quoting.
std::string sample_text(std::size_t size) {
  static const char* const WORDS[] = {"Get-ChildItem", "ΣΑΣ",     "a&b", "C:\\Program Files\\",
                                      "Grüße",         "it's",    "x",   "\"quoted\"",
                                      "日本語",        "-Recurse"};
  std::string text;
  for (std::size_t i = 0; text.size() < size; ++i) {
    text += WORDS[i % 10];
    text += ' ';
  }
  // Cut back to a character boundary.
  text.resize(size);
  while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) text.pop_back();
  if (!text.empty() && static_cast<unsigned char>(text.back()) >= 0xC0) text.pop_back();
  return text;
}

std::vector<std::string> sample_words(std::size_t size) {
  std::vector<std::string> words;
  const std::string text = sample_text(size);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    words.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

void BM_lower_case(benchmark::State& state) {
  const std::string text = sample_text(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(lower_case(text));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_quote_arguments(benchmark::State& state) {
  const std::vector<std::string> words = sample_words(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(quote_arguments(words, Shell::cmd));
    benchmark::DoNotOptimize(quote_arguments(words, Shell::pwsh));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0) * 2);
}

void BM_encode_powershell_command(benchmark::State& state) {
  const std::string script = sample_text(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(encode_powershell_command(script));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

// The words quoted for the shell and written into the host's line.
void BM_compose_command_line(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const LaunchRequest pwsh{.target = Target::conhost,
                           .shell = Shell::pwsh,
                           .title = sample_text(size),
                           .words = sample_words(size)};
  const LaunchRequest cmd{
      .target = Target::wt, .shell = Shell::cmd, .title = pwsh.title, .words = pwsh.words};
  const LaunchPlan pwsh_plan = plan_launch(pwsh, false);
  const LaunchPlan cmd_plan = plan_launch(cmd, false);
  for (auto _ : state) {
    benchmark::DoNotOptimize(compose_command_line(pwsh, pwsh_plan));
    benchmark::DoNotOptimize(compose_command_line(cmd, cmd_plan));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0) * 4);
}

void BM_wrap_text(benchmark::State& state) {
  std::string text = sample_text(static_cast<std::size_t>(state.range(0)));
  for (std::size_t i = 500; i < text.size(); i += 500) text[i] = '\n';
  for (auto _ : state) benchmark::DoNotOptimize(wrap_text(text, 80));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

constexpr std::int64_t KiB = 1024;

// One whole request at the command-line limit: parse, quote, compose and
// encode. (The launch's own conversion to UTF-16 is not in it.)
void BM_whole_request(benchmark::State& state) {
  std::vector<std::string> args = {"vornalt.exe", "conhost", "-s", "pwsh", "-t", "Title"};
  std::size_t units = 0;
  for (const auto& arg : args) units += to_utf16(arg).size() + 1;
  for (const auto& word : sample_words(64 * KiB)) {
    const std::size_t more = to_utf16(word).size() + 1;
    if (units + more > 32767) break;
    args.push_back(word);
    units += more;
  }
  state.counters["units"] = static_cast<double>(units);
  for (auto _ : state) {
    const ParseOutcome outcome = parse_arguments(args);
    const LaunchRequest& request = std::get<Launch>(outcome).request;
    benchmark::DoNotOptimize(compose_command_line(request, plan_launch(request, false)));
  }
}

BENCHMARK(BM_lower_case)->Arg(KiB)->Arg(32 * KiB)->Arg(1024 * KiB);
BENCHMARK(BM_quote_arguments)->Arg(KiB)->Arg(32 * KiB)->Arg(1024 * KiB);
BENCHMARK(BM_encode_powershell_command)->Arg(KiB)->Arg(32 * KiB)->Arg(1024 * KiB);
BENCHMARK(BM_compose_command_line)->Arg(KiB)->Arg(32 * KiB)->Arg(1024 * KiB);
BENCHMARK(BM_wrap_text)->Arg(KiB)->Arg(32 * KiB)->Arg(1024 * KiB);
BENCHMARK(BM_whole_request)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vornalt

BENCHMARK_MAIN();
