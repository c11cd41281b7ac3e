// How the programs on vornalt's path read a command line: CommandLineToArgvW,
// conhost.exe, wt.exe, cmd.exe /c and PowerShell's words, as pure functions
// over WTF-8 text. The stand-in hosts read their own command line with
// these, and the property tests and fuzz targets pass composed lines
// through them.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vornalt::testing {

/// CommandLineToArgvW. The first word is read by the simpler program-name
/// rule; inside quotes, `""` gives one `"` and ends the quoted part.
std::vector<std::string> command_line_to_argv(std::string_view line);

/// The client command line that conhost.exe starts: its own options
/// dropped, the other words rebuilt with its quoting, joined by one blank.
std::string conhost_reading(std::string_view line);

/// What wt.exe makes of its command line: its root's options for the
/// window, then the first subcommand (new-tab where none is named), its
/// options and its command. A subcommand's name is read only where an option
/// could stand, before the command's first word, and an option that the
/// subcommand does not know is an error.
struct WtReading {
  std::size_t subcommands = 0;  // tabs or panes it would open
  /// An option that it does not know, or a value that it refuses (-s out of
  /// 0.01..0.99, -H with -V): wt.exe shows the error and opens nothing.
  bool error = false;
  std::optional<std::string> window;              // the value of --window or -w, if given
  std::string subcommand = "new-tab";             // or "split-pane", …
  std::optional<std::string> title;               // the value of --title, if given
  std::optional<std::string> starting_directory;  // of --startingDirectory or -d
  std::optional<std::string> profile;             // of --profile or -p
  std::optional<std::string> tab_color;           // of --tabColor, if it can read it
  std::optional<char> split;                      // split-pane's 'H' or 'V'; none: either
  std::optional<std::string> split_size;          // split-pane's -s
  std::string command;                            // the first subcommand's command line
  // Its own options for a window that it creates.
  bool maximized = false;           // --maximized or -M
  bool fullscreen = false;          // --fullscreen or -F
  bool focus = false;               // --focus or -f
  std::optional<std::string> pos;   // the value of --pos
  std::optional<std::string> size;  // the value of --size
};

/// Replaces %NAME% references, as ExpandEnvironmentStringsW does.
using Expand = std::function<std::string(std::string_view)>;

WtReading wt_reading(std::string_view line, const Expand& expand);

/// The %NAME% expansion of ExpandEnvironmentStringsW over the variables
/// that `lookup` knows: an undefined reference stays as written, and the
/// text goes on after it. cmd.exe's reading uses it too, only ever with no
/// variable defined.
using Lookup = std::function<std::optional<std::string>(std::string_view name)>;
std::string expand_variables(std::string_view text, const Lookup& lookup);

/// What `cmd.exe /c …` (or /s /c) makes of its command line.
struct CmdReading {
  /// The commands it runs, in order, each as its text with cmd's carets
  /// removed and leading blanks skipped: for a program, the program's own
  /// command line.
  std::vector<std::string> commands;
  /// Whether anything was redirected with < or >.
  bool redirected = false;
};

/// How a cmd.exe reads its quotes. Windows' toggles its quoting at every
/// `"`. Wine's nests them: a `"` met inside quotes closes them only if, from
/// it to the first blank, < > | or & met at an even count of quotes (the
/// depth included), there are at most twice the depth of quotes; otherwise
/// it opens a deeper level.
enum class CmdQuotes { windows, wine };

/// Nothing when the reading depends on the file system (a line that starts
/// with `"`, without /s, and might name a program with a blank in it).
std::optional<CmdReading> cmd_reading(std::string_view line, const Lookup& lookup,
                                      CmdQuotes quotes = CmdQuotes::windows);

/// The text that cmd's `title` command sets: its command text after the
/// word and one delimiter. Nothing when `command` is no title command.
std::optional<std::string> title_set_by(std::string_view command);

/// What a composed `cmd` line (either host) comes to at the end of the
/// road: read by the host's stand-in reading, then by cmd.exe /c with no
/// variables defined, then by the started program.
struct CmdPathReading {
  std::string shell_line;  // what the host starts
  std::size_t subcommands = 1;
  std::optional<std::string> host_title;  // wt.exe's --title
  std::optional<std::string> cmd_title;   // what cmd's `title` command sets
  /// Anything ran or was redirected beyond the title command and the program.
  bool injected = false;
  /// The program's words after its name, split by the C runtime and by
  /// CommandLineToArgvW.
  std::vector<std::string> program_name;
  std::vector<std::string> crt_words;
  std::vector<std::string> argv_words;
};

/// Nothing when cmd's reading depends on the file system.
std::optional<CmdPathReading> read_cmd_path(std::string_view composed,
                                            CmdQuotes quotes = CmdQuotes::windows);

/// One element of a PowerShell script line: the command a statement runs,
/// one of its words read in argument mode, or what ends a statement.
struct PowershellWord {
  enum class Kind {
    command,    // the name of the command that a statement runs: `text`
    text,       // a literal: `text` is what PowerShell binds
    parameter,  // a bare word that starts with a dash: a parameter's name
    code,       // expanded, evaluated or run by PowerShell
    end,        // a line end, `;`, `&` or `|`: what follows is another command
  };
  Kind kind = Kind::text;
  std::string text;  // as written, for all but `text`
  bool operator==(const PowershellWord&) const = default;
};

inline void PrintTo(const PowershellWord& word, std::ostream* out) {
  static constexpr const char* KINDS[] = {"command", "text", "parameter", "code", "end"};
  *out << KINDS[static_cast<int>(word.kind)] << " [" << word.text << "]";
}

/// What PowerShell reads from a script line of commands and their words (as
/// vornalt writes them: each word bare or in single quotes).
struct PowershellReading {
  std::vector<PowershellWord> words;
  /// False when the reading stopped where it cannot follow PowerShell: a
  /// group or script block, a redirection, an escaped blank or line end, a
  /// string left open, or two different quotes doubled.
  /// The last word is then what was read of the one it stopped in, as code.
  bool complete = true;
  /// False when PowerShell refuses the script before it runs any of it: a
  /// statement that begins with an expression (a string, a variable, a
  /// number, …) goes on with a word other than `=` ("Unexpected token").
  bool runs = true;
};

/// Splits at White_Space outside quotes and ends a statement at a line end,
/// `;`, `&` or `|`. A statement's first element decides what it is: a bare
/// literal word names the command it runs, and so does the word after the
/// call operator `&`; one that begins with a quote (any of them), `$`, `@`,
/// `[` or a number is an expression, which runs nothing. Then come the
/// command's words in argument mode. A string in single quotes (any of `'`
/// and U+2018 to U+201B) is a literal, in which a doubled quote stands for
/// itself; a bare word is one only when nothing in it is code (`$`, a
/// backtick, `"` or U+201C to U+201E opening an expandable string, `@`, a
/// leading digit, …), and a parameter when it starts with `-` or U+2013 to
/// U+2015. A comment is one code word, to the line's end.
/// It is exact for words that are a single-quoted string or bare, and
/// reports anything else as code.
PowershellReading powershell_reading(std::string_view line);

}  // namespace vornalt::testing
