// Any words through the `cmd` forms of both hosts: composed, read by the
// models of conhost.exe or wt.exe, of cmd.exe and of the program, they come
// back exactly. Input: a byte choosing the host, then the title and the
// words, separated by NULs.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "cmd_round_trip.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string target = (data[0] & 1) ? "wt" : "conhost";
  std::vector<std::string> fields(1);
  for (std::size_t i = 1; i < size; ++i) {
    const char c = static_cast<char>(data[i]);
    if (c == '\0') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  if (fields.size() < 2) return 0;
  const std::string title = fields[0];
  const std::vector<std::string> words(fields.begin() + 1, fields.end());
  // cmd ends its line at a line feed, and the first word names a program,
  // whose name cannot hold a quote (the C runtime reads it without escapes).
  for (const auto& word : words) {
    if (word.find_first_of("\r\n") != std::string::npos) return 0;
  }
  if (words[0].find('"') != std::string::npos) return 0;
  const std::string fault = vornalt::testing::cmd_round_trip_fault(target, title, words);
  if (!fault.empty()) std::fprintf(stderr, "%s\n", fault.c_str());
  FUZZ_CHECK(fault.empty());
  return 0;
}
