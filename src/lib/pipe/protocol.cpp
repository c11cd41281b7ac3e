#include "pipe/protocol.h"

#include <algorithm>

#include "text/wtf8.h"

namespace vornalt {
namespace {

constexpr std::string_view HEX = "0123456789abcdef";
// "status 4294967295" is the longest line that can be right.
constexpr std::size_t LONGEST_LINE = 17;
// "unset 4294967295" is the longest line of the variables.
constexpr std::size_t LONGEST_VARIABLES_LINE = 16;

// The value after `word` and one blank in `line`, if that is all it holds.
std::optional<std::uint32_t> value_after(std::string_view line, std::string_view word) {
  if (!line.starts_with(word) || line.size() <= word.size() || line[word.size()] != ' ') {
    return std::nullopt;
  }
  return parse_decimal(line.substr(word.size() + 1));
}

// Exactly the bytes that to_wtf8 gives for some UTF-16, so that the
// variable arrives as the vornalt that sent it had it.
bool is_wtf8(std::string_view text) { return to_wtf8(to_utf16(text)) == text; }

void append_record(std::string& out, std::string_view kind, std::string_view payload) {
  out += kind;
  out += ' ';
  out += std::to_string(payload.size());
  out += '\n';
  out += payload;
  out += '\n';
}

}  // namespace

std::optional<std::uint32_t> parse_decimal(std::string_view text) {
  if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > 0xFFFFFFFF) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

std::string pipe_id_from(const std::array<std::uint8_t, 16>& random) {
  std::string id;
  for (std::uint8_t byte : random) {
    id += HEX[byte >> 4];
    id += HEX[byte & 0xF];
  }
  return id;
}

bool is_pipe_id(std::string_view text) {
  return text.size() == 32 && text.find_first_not_of(HEX) == std::string_view::npos;
}

std::string relay_pipe_name(std::string_view id) {
  return "\\\\.\\pipe\\vornalt-" + std::string(id);
}

std::string elevation_pipe_name(std::string_view id) { return relay_pipe_name(id) + "-elevated"; }

std::string pid_message(std::uint32_t pid) { return "pid " + std::to_string(pid) + "\n"; }

std::string status_message(std::uint32_t status) {
  return "status " + std::to_string(status) + "\n";
}

std::string failure_message(HRESULT code) {
  return "failed " + std::to_string(static_cast<std::uint32_t>(code.value)) + "\n";
}

std::string variables_message(std::span<const Variable> variables) {
  std::string out = "vars " + std::to_string(variables.size()) + "\n";
  for (const Variable& variable : variables) {
    if (variable.value) {
      append_record(out, "set", variable.name + "=" + *variable.value);
    } else {
      append_record(out, "unset", variable.name);
    }
  }
  return out;
}

void ReportReader::take(std::string_view bytes) {
  for (char c : bytes) {
    if (state_ == State::malformed) return;
    if (c != '\n') {
      line_ += c;
      if (line_.size() > LONGEST_LINE) state_ = State::malformed;
      continue;
    }
    take_line(line_);
    line_.clear();
  }
}

void ReportReader::take_line(std::string_view line) {
  const std::size_t blank = line.find(' ');
  const std::string_view word = line.substr(0, blank);
  const std::optional<std::uint32_t> value =
      blank == std::string_view::npos ? std::nullopt : parse_decimal(line.substr(blank + 1));
  State next = State::malformed;
  if (value && state_ == State::awaiting_pid) {
    if (word == "pid") {
      pid_ = *value;
      next = State::awaiting_status;
    } else if (word == "failed" && *value != 0) {
      value_ = *value;
      next = State::failed;
    }
  } else if (value && state_ == State::awaiting_status && word == "status") {
    value_ = *value;
    next = State::ended;
  }
  state_ = next;
}

void VariablesReader::take(std::string_view bytes) {
  for (std::size_t at = 0; at < bytes.size() && state_ != State::malformed;) {
    if (state_ == State::complete || ++taken_ > VARIABLES_LIMIT) {
      state_ = State::malformed;
      return;
    }
    const char c = bytes[at++];
    switch (expecting_) {
      case Expecting::line:
        if (c != '\n') {
          text_ += c;
          if (text_.size() > LONGEST_VARIABLES_LINE) state_ = State::malformed;
        } else {
          take_line(text_);
          text_.clear();
        }
        break;
      case Expecting::payload:
        text_ += c;
        if (text_.size() == payload_size_) expecting_ = Expecting::payload_end;
        break;
      case Expecting::payload_end:
        if (c != '\n') {
          state_ = State::malformed;
          return;
        }
        take_payload(text_);
        text_.clear();
        expecting_ = Expecting::line;
        break;
    }
  }
}

void VariablesReader::take_line(std::string_view line) {
  if (!records_left_) {
    const std::optional<std::uint32_t> count = value_after(line, "vars");
    if (!count) {
      state_ = State::malformed;
      return;
    }
    records_left_ = *count;
    if (*count == 0) state_ = State::complete;
    return;
  }
  std::optional<std::uint32_t> size = value_after(line, "set");
  setting_ = size.has_value();
  if (!setting_) size = value_after(line, "unset");
  // Every record holds at least a name.
  if (!size || *size == 0) {
    state_ = State::malformed;
    return;
  }
  payload_size_ = *size;
  expecting_ = Expecting::payload;
}

void VariablesReader::take_payload(std::string_view payload) {
  std::optional<Variable> variable;
  if (setting_) {
    variable = parse_variable(payload);
  } else if (payload.find_first_of(std::string_view("=\0", 2)) == std::string_view::npos) {
    variable = Variable{std::string(payload), std::nullopt};
  }
  const bool repeated =
      variable && std::any_of(variables_.begin(), variables_.end(), [&](const Variable& earlier) {
        return same_variable_name(earlier.name, variable->name);
      });
  // "set" of NAME= would be an unset written otherwise.
  if (!variable || repeated || !is_wtf8(payload) || (setting_ && !variable->value)) {
    state_ = State::malformed;
    return;
  }
  variables_.push_back(std::move(*variable));
  if (--*records_left_ == 0) state_ = State::complete;
}

}  // namespace vornalt
