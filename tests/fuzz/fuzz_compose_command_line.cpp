// Any request composes; the encoded script decodes back to the script, and
// wt.exe reads back the title. Input: a byte choosing the host and the
// shell, then the title, then each word after a NUL.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base64_decode.h"
#include "compose/console_command_line.h"
#include "compose/powershell_command.h"
#include "compose/quoting.h"
#include "fuzz_check.h"
#include "text/wtf8.h"
#include "wt_title.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static constexpr vornalt::Shell SHELLS[] = {vornalt::Shell::cmd, vornalt::Shell::pwsh,
                                              vornalt::Shell::powershell};
  vornalt::LaunchRequest request;
  request.target = (data[0] & 1) ? vornalt::Target::wt : vornalt::Target::conhost;
  request.shell = SHELLS[(data[0] >> 1) % 3];
  // The title, then each word after a NUL.
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::size_t split = rest.find('\0');
  request.title = rest.substr(0, split);
  while (split != std::string::npos) {
    const std::size_t end = rest.find('\0', split + 1);
    request.words.push_back(rest.substr(split + 1, end - split - 1));
    split = end;
  }

  const std::string line =
      vornalt::compose_command_line(request, vornalt::plan_launch(request, false));
  if (request.shell != vornalt::Shell::cmd) {
    const std::string script = vornalt::powershell_script(
        request.target, request.title, vornalt::quote_arguments(request.words, request.shell));
    const std::string encoded = line.substr(line.rfind(' ') + 1);
    FUZZ_CHECK(encoded == vornalt::encode_powershell_command(script));
    const std::string bytes = vornalt::testing::decode_base64(encoded);
    const std::u16string units = vornalt::to_utf16(script);
    FUZZ_CHECK(bytes.size() == units.size() * 2);
    for (std::size_t i = 0; i < units.size(); ++i) {
      FUZZ_CHECK(static_cast<unsigned char>(bytes[2 * i]) == (units[i] & 0xFF));
      FUZZ_CHECK(static_cast<unsigned char>(bytes[2 * i + 1]) == (units[i] >> 8));
    }
  }
  if (request.target == vornalt::Target::wt) {
    FUZZ_CHECK(vornalt::testing::title_seen_by_wt(line) == request.title);
  }
  return 0;
}
