#include "launch/launch_plan.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace vornalt {
namespace {

// A request of `target` with these flags and options: "e", "w", "k", "v"
// (a variable set and one removed), "a", "n", "d", "q".
LaunchRequest request(Target target, std::string_view flags) {
  const auto has = [&](char flag) { return flags.find(flag) != std::string_view::npos; };
  LaunchRequest request{.target = target, .words = {"x"}};
  request.exit_code = has('e');
  request.wait = has('w');
  request.keep = has('k');
  if (has('v')) request.variables = {{"A", "1"}, {"B", std::nullopt}};
  request.admin = has('a');
  request.dry_run = has('n');
  if (has('d')) request.folder = "src";
  request.quiet = has('q');
  return request;
}

// What the plan decides about the relay and the host, in words.
std::string relay_and_host(const LaunchPlan& plan) {
  std::string text = "relay:";
  if (!plan.relay) {
    text += " none";
  } else {
    text += plan.has_relay_pipe() ? " pipe" : " no-pipe";
    if (plan.relay->keep) text += " keep";
    if (plan.relay->needs_variables) text += " variables";
    if (plan.reads_command_status) text += " status";
  }
  text += "; host:";
  if (plan.host_ends_at_once) text += " ends-at-once";
  if (plan.host_takes_folder) text += " folder";
  if (!plan.host_variables.empty()) text += " variables";
  if (plan.waits_for_host) text += " waited-for";
  return text;
}

// How it starts the host and ends, in words.
std::string start_and_end(const LaunchPlan& plan) {
  static constexpr std::string_view ADMIN[] = {"", " prompt", " already-elevated"};
  std::string text = plan.dry_run ? "dry-run" : plan.admin == Admin::prompt ? "prompted" : "plain";
  text += ADMIN[static_cast<int>(plan.admin)];
  if (plan.ends_with_command_status) text += " command-status";
  if (!plan.shows_progress) text += " quiet";
  if (plan.needs_pipe_id()) text += " pipe-id";
  return text;
}

// What -e, -w, -k and -v decide, with each host; -a, -n, -d and -q change
// none of it, in any combination, elevated or not.
TEST(PlanLaunch, TheRelayAndTheHostByTargetAndTheWaits) {
  const std::string conhost = "; host: folder";
  const std::string wt = "; host: ends-at-once";
  const struct {
    Target target;
    std::string_view flags;
    std::string plan;
  } cases[] = {
      {Target::conhost, "", "relay: none" + conhost},
      {Target::conhost, "w", "relay: none" + conhost + " waited-for"},
      {Target::conhost, "e", "relay: pipe status" + conhost},
      {Target::conhost, "ew", "relay: pipe status" + conhost + " waited-for"},
      {Target::conhost, "k", "relay: no-pipe keep" + conhost},
      {Target::conhost, "kw", "relay: no-pipe keep" + conhost + " waited-for"},
      {Target::conhost, "ek", "relay: pipe keep status" + conhost},
      {Target::conhost, "ekw", "relay: pipe keep status" + conhost + " waited-for"},
      {Target::conhost, "v", "relay: none" + conhost + " variables"},
      {Target::conhost, "vw", "relay: none" + conhost + " variables waited-for"},
      {Target::conhost, "ev", "relay: pipe status" + conhost + " variables"},
      {Target::conhost, "evw", "relay: pipe status" + conhost + " variables waited-for"},
      {Target::conhost, "kv", "relay: no-pipe keep" + conhost + " variables"},
      {Target::conhost, "kvw", "relay: no-pipe keep" + conhost + " variables waited-for"},
      {Target::conhost, "ekv", "relay: pipe keep status" + conhost + " variables"},
      {Target::conhost, "ekvw", "relay: pipe keep status" + conhost + " variables waited-for"},
      {Target::wt, "", "relay: none" + wt},
      {Target::wt, "w", "relay: pipe status" + wt},
      {Target::wt, "e", "relay: pipe status" + wt},
      {Target::wt, "ew", "relay: pipe status" + wt},
      {Target::wt, "k", "relay: no-pipe keep" + wt},
      {Target::wt, "kw", "relay: pipe keep status" + wt},
      {Target::wt, "ek", "relay: pipe keep status" + wt},
      {Target::wt, "ekw", "relay: pipe keep status" + wt},
      {Target::wt, "v", "relay: pipe variables" + wt},
      {Target::wt, "vw", "relay: pipe variables status" + wt},
      {Target::wt, "ev", "relay: pipe variables status" + wt},
      {Target::wt, "evw", "relay: pipe variables status" + wt},
      {Target::wt, "kv", "relay: pipe keep variables" + wt},
      {Target::wt, "kvw", "relay: pipe keep variables status" + wt},
      {Target::wt, "ekv", "relay: pipe keep variables status" + wt},
      {Target::wt, "ekvw", "relay: pipe keep variables status" + wt},
  };
  for (const auto& c : cases) {
    for (const std::string_view others : {"", "a", "n", "d", "q", "an", "adq", "andq"}) {
      for (bool elevated : {false, true}) {
        const std::string flags = std::string(c.flags) + std::string(others);
        const LaunchPlan plan = plan_launch(request(c.target, flags), elevated);
        EXPECT_EQ(relay_and_host(plan), c.plan) << name(c.target) << " -" << flags;
        // The relay gets the variables that wt.exe cannot pass, the host
        // those that conhost.exe hands on; never both.
        if (plan.relay && plan.relay->needs_variables) {
          EXPECT_EQ(plan.relay_variables, request(c.target, "v").variables);
        }
        if (!plan.host_variables.empty()) {
          EXPECT_EQ(plan.host_variables, request(c.target, "v").variables);
        }
      }
    }
  }
}

// How the host starts, what -a comes to, and what the exit status is made
// of: the same with either host and whatever else is asked.
TEST(PlanLaunch, TheStartTheElevationAndTheEnd) {
  const struct {
    std::string_view flags;
    bool elevated;
    std::string plan;
  } cases[] = {
      {"", false, "plain"},
      {"", true, "plain"},
      {"a", false, "prompted prompt pipe-id"},
      {"a", true, "plain already-elevated"},
      {"n", false, "dry-run"},
      {"an", false, "dry-run prompt pipe-id"},
      {"an", true, "dry-run already-elevated"},
      {"e", false, "plain command-status pipe-id"},
      {"en", false, "dry-run pipe-id"},
      {"ea", false, "prompted prompt command-status pipe-id"},
      {"eaq", true, "plain already-elevated command-status quiet pipe-id"},
      {"q", false, "plain quiet"},
      {"nq", false, "dry-run quiet"},
      {"k", false, "plain"},
      {"kq", false, "plain quiet"},
  };
  for (const auto& c : cases) {
    for (Target target : {Target::conhost, Target::wt}) {
      for (const std::string_view others : {"", "d"}) {
        const std::string flags = std::string(c.flags) + std::string(others);
        EXPECT_EQ(start_and_end(plan_launch(request(target, flags), c.elevated)), c.plan)
            << name(target) << " -" << flags << (c.elevated ? " elevated" : "");
      }
    }
  }
}

// Where the window's layout goes: conhost.exe's own STARTUPINFO and the
// relay for the size; wt.exe's options for a new window, and its STARTUPINFO
// for what Terminal takes from there.
TEST(PlanLaunch, TheWindowByHost) {
  const WindowLayout none;
  const WindowLayout min{.show = WindowShow::minimized, .no_focus = true};
  const WindowLayout max{.show = WindowShow::maximized, .position = Pixels{-1200, 80}};
  const WindowLayout full{.show = WindowShow::fullscreen, .size = Cells{120, 40}};
  const WindowLayout unfocused{.no_focus = true, .size = Cells{120, 40}};
  const struct {
    Target target;
    WindowLayout layout;
    std::optional<std::string> window;  // as typed
    std::string plan;
  } cases[] = {
      {Target::conhost, none, {}, "startup: -; relay: -"},
      {Target::conhost, min, {}, "startup: SW_SHOWMINNOACTIVE; relay: -"},
      {Target::conhost, max, {}, "startup: SW_SHOWMAXIMIZED at -1200,80; relay: -"},
      {Target::conhost, unfocused, {}, "startup: SW_SHOWNOACTIVATE; relay: size 120,40"},
      {Target::wt, none, {}, "startup: -; wt: vornalt"},
      {Target::wt, none, "Dev", "startup: -; wt: Dev"},
      {Target::wt, min, {}, "startup: SW_SHOWMINNOACTIVE; wt: new"},
      {Target::wt, max, {}, "startup: -; wt: new maximized at -1200,80"},
      {Target::wt, full, {}, "startup: -; wt: new fullscreen size 120,40"},
      {Target::wt, unfocused, "0", "startup: SW_SHOWNOACTIVATE; wt: 0 size 120,40 if new"},
      {Target::wt, max, "new", "startup: -; wt: new maximized at -1200,80"},
  };
  for (const auto& c : cases) {
    LaunchRequest asked = request(c.target, "");
    asked.window_layout = c.layout;
    asked.window = c.window;
    const LaunchPlan plan = plan_launch(asked, false);
    const StartupWindow& startup = plan.startup_window;
    std::string text = "startup: ";
    text += startup.show ? std::string(name(*startup.show)) : "-";
    if (startup.position) text += " at " + to_string(*startup.position);
    if (c.target == Target::conhost) {
      text += "; relay: ";
      text += plan.relay && plan.relay->window_size ? "size " + to_string(*plan.relay->window_size)
                                                    : "-";
    } else {
      const WtWindowOptions& wt = plan.wt_window_options;
      text += "; wt: " + plan.wt_window;
      if (wt.show == WindowShow::maximized) text += " maximized";
      if (wt.show == WindowShow::fullscreen) text += " fullscreen";
      if (wt.position) text += " at " + to_string(*wt.position);
      if (wt.size) text += " size " + to_string(*wt.size);
      if (plan.window_options_need_a_new_window) text += " if new";
    }
    EXPECT_EQ(text, c.plan);
    EXPECT_EQ(plan.window_layout, c.layout);
  }
}

// Whether this process is elevated is asked only for -a: the question loads
// a DLL that no other run needs.
TEST(PlanLaunch, AsksForTheElevationOnlyForAdmin) {
  for (const std::string_view flags : {"", "e", "ekvwdnq", "a", "ae"}) {
    for (bool elevated : {false, true}) {
      testing::FakeProcesses processes;
      testing::FakeElevation elevation{processes};
      elevation.elevated = elevated;
      const LaunchPlan plan = plan_launch(request(Target::conhost, flags), elevation);
      const bool admin = flags.starts_with('a');
      EXPECT_EQ(elevation.asked, admin ? 1 : 0) << flags;
      EXPECT_EQ(plan.admin, !admin     ? Admin::not_asked
                            : elevated ? Admin::already_elevated
                                       : Admin::prompt)
          << flags;
    }
  }
}

}  // namespace
}  // namespace vornalt
