// The command lines that vornalt starts for whole requests, in one table:
// the composer's test proves each, and the tests of the run, of the dry run
// and of the elevated start read them here instead of keeping copies. A
// relay is the fakes' vornalt.exe (fakes.h), and its pipe the fakes' id.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vornalt::testing {

/// The id that the fakes' random bytes give.
inline const std::string FAKE_ID = "0123456789abcdeffedcba9876543210";

struct ComposedLine {
  std::vector<std::string> args;  // after the program's name
  std::string line;               // as started
};

inline const std::string RELAY = "C:\\tools\\vornalt.exe --vornalt-relay ";
inline const std::string WT = "wt.exe --window vornalt --title \"\" --startingDirectory . ";

/// The table, made at its first use: the strings that it is made of are
/// made before main, in no order that its own making could rely on.
inline const std::vector<ComposedLine>& composed_lines() {
  static const std::vector<ComposedLine> LINES = {
      // The six forms.
      {{"wt", "-t", "Plain Title", "cmd", "/c", "echo", "Hello", "&&", "pause"},
       "wt.exe --window vornalt --title \"Plain Title\" --startingDirectory . cmd.exe /c cmd /c "
       "echo Hello ^&^& pause"},
      {{"conhost", "-t", "Build", "echo", "Hello"},
       "conhost.exe cmd.exe /c title Build && echo Hello"},
      // conhost.exe folds runs of blanks: the line is already what it hands on.
      {{"conhost", "echo", "Hello"}, "conhost.exe cmd.exe /c title && echo Hello"},
      {{"conhost", "-t", "A & B", "x"}, "conhost.exe cmd.exe /c title A ^& B && x"},
      // A word that looks like an option's glued form starts the command.
      {{"conhost", "--size=80,25", "x"}, "conhost.exe cmd.exe /c title && --size=80,25 x"},
      {{"wt", "-s", "pwsh", "echo", "Hello"},
       WT + "pwsh.exe -EncodedCommand ZQBjAGgAbwAgAEgAZQBsAGwAbwA="},
      {{"wt", "-s", "powershell", "-t", "T", "echo", "Hello"},
       "wt.exe --window vornalt --title \"T\" --startingDirectory . powershell.exe -EncodedCommand "
       "ZQBjAGgAbwAgAEgAZQBsAGwAbwA="},
      {{"conhost", "-s", "powershell", "-t", "My Title", "Get-ChildItem", "-Recurse"},
       "conhost.exe powershell.exe -EncodedCommand "
       "JABoAG8AcwB0AC4AVQBJAC4AUgBhAHcAVQBJAC4AVwBpAG4AZABvAHcAVABpAHQAbABlACAAPQAgACcATQB5ACAAVAB"
       "p"
       "AHQAbABlACcAIAA7ACAARwBlAHQALQBDAGgAaQBsAGQASQB0AGUAbQAgAC0AUgBlAGMAdQByAHMAZQA="},
      {{"conhost", "-s", "pwsh", "echo", "Hello"},
       "conhost.exe pwsh.exe -EncodedCommand ZQBjAGgAbwAgAEgAZQBsAGwAbwA="},
      // The relay: for the status of -e and of wt's -w, with a pipe; for -k
      // and conhost's --size without one; for wt's variables, which only its
      // pipe carries; conhost.exe hands its variables on.
      {{"conhost", "-e", "x"}, "conhost.exe " + RELAY + FAKE_ID + " cmd.exe /c title && x"},
      {{"conhost", "-w", "x"}, "conhost.exe cmd.exe /c title && x"},
      {{"wt", "-e", "x"}, WT + RELAY + FAKE_ID + " cmd.exe /c x"},
      {{"wt", "-w", "x"}, WT + RELAY + FAKE_ID + " cmd.exe /c x"},
      {{"wt", "x"}, WT + "cmd.exe /c x"},
      {{"wt", "-k", "x"}, WT + RELAY + "- --keep cmd.exe /c x"},
      {{"conhost", "-k", "x"}, "conhost.exe " + RELAY + "- --keep cmd.exe /c title && x"},
      {{"wt", "-k", "-e", "x"}, WT + RELAY + FAKE_ID + " --keep cmd.exe /c x"},
      {{"wt", "-v", "A=1", "x"}, WT + RELAY + FAKE_ID + " --variables cmd.exe /c x"},
      {{"wt", "-k", "-v", "A=1", "x"}, WT + RELAY + FAKE_ID + " --keep --variables cmd.exe /c x"},
      {{"conhost", "-v", "A=1", "x"}, "conhost.exe cmd.exe /c title && x"},
      {{"conhost", "-v", "SECRET=s3 cr3t", "-v", "Path=", "x"},
       "conhost.exe cmd.exe /c title && x"},
      {{"wt", "-v", "SECRET=s3 cr3t", "-v", "Path=", "x"},
       WT + RELAY + FAKE_ID + " --variables cmd.exe /c x"},
      {{"conhost", "-k", "-e", "-v", "A=1", "x"},
       "conhost.exe " + RELAY + FAKE_ID + " --keep cmd.exe /c title && x"},
      {{"conhost", "--size", "100,30", "x"},
       "conhost.exe " + RELAY + "- --size 100,30 cmd.exe /c title && x"},
      // The window: conhost.exe's STARTUPINFO says the rest; wt.exe's own
      // options open a new window.
      {{"conhost", "--min", "--pos", "-1200,80", "x"}, "conhost.exe cmd.exe /c title && x"},
      {{"conhost", "--max", "x"}, "conhost.exe cmd.exe /c title && x"},
      {{"conhost", "--no-focus", "--size", "100,30", "x"},
       "conhost.exe " + RELAY + "- --size 100,30 cmd.exe /c title && x"},
      {{"wt", "--min", "--no-focus", "x"},
       "wt.exe --window new --title \"\" --startingDirectory . cmd.exe /c x"},
      {{"wt", "--max", "--size", "100,30", "x"},
       "wt.exe --window new --maximized --size 100,30 --title \"\" --startingDirectory . "
       "cmd.exe /c x"},
      {{"wt", "--fullscreen", "--pos", "0,-5", "x"},
       "wt.exe --window new --fullscreen --pos 0,-5 --title \"\" --startingDirectory . cmd.exe /c "
       "x"},
      {{"wt", "--window", "Dev", "--no-focus", "x"},
       "wt.exe --window Dev --title \"\" --startingDirectory . cmd.exe /c x"},
      // Windows Terminal's tab and pane: split-pane after the root's options,
      // the profile and the colour beside the title; a split goes into the
      // current window.
      {{"wt", "-p", "My Profile; \"dev\"", "--tab-color", "#3A7BD5", "x"},
       "wt.exe --window vornalt --title \"\" --profile \"My Profile\\; \\\"dev\\\"\" --tabColor "
       "#3A7BD5 --startingDirectory . cmd.exe /c x"},
      {{"wt", "--split", "right", "--split-size", "30", "-e", "x"},
       "wt.exe --window 0 split-pane -V -s 0.3 --title \"\" --startingDirectory . " + RELAY +
           FAKE_ID + " cmd.exe /c x"},
      {{"wt", "--split", "auto", "--window", "Dev", "-p", "Dev", "x"},
       "wt.exe --window Dev split-pane --title \"\" --profile Dev --startingDirectory . cmd.exe /c "
       "x"},
      // The folder: wt.exe gets it on its line; conhost.exe starts in it.
      {{"wt", "-d", "C:\\work", "x"},
       "wt.exe --window vornalt --title \"\" --startingDirectory C:\\work cmd.exe /c x"},
      {{"conhost", "-d", "C:\\work", "x"}, "conhost.exe cmd.exe /c title && x"},
      {{"wt", "-d", "C:\\work\\src", "x"},
       "wt.exe --window vornalt --title \"\" --startingDirectory C:\\work\\src cmd.exe /c x"},
      {{"wt", "-d", "C:\\a b", "x"},
       "wt.exe --window vornalt --title \"\" --startingDirectory \"C:\\a b\" cmd.exe /c x"},
      {{"conhost", "-d", "C:\\a b", "x"}, "conhost.exe cmd.exe /c title && x"},
  };
  return LINES;
}

/// The line of the table for `args`; a failed test when it has none.
inline std::string composed_line(const std::vector<std::string>& args) {
  const std::vector<ComposedLine>& lines = composed_lines();
  const auto row = std::find_if(lines.begin(), lines.end(), [&](const ComposedLine& composed) {
    return composed.args == args;
  });
  if (row != lines.end()) return row->line;
  ADD_FAILURE() << "no composed line for " << ::testing::PrintToString(args);
  return "";
}

}  // namespace vornalt::testing
