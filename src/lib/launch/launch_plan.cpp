#include "launch/launch_plan.h"

namespace vornalt {
namespace {

// An elevated process starts an elevated host as it is.
Admin admin_for(const LaunchRequest& request, bool already_elevated) {
  if (!request.admin) return Admin::not_asked;
  return already_elevated ? Admin::already_elevated : Admin::prompt;
}

// The relay learns the command's end for -e and for wt's -w, and carries
// the variables that wt.exe cannot; -k alone, and conhost's --size, need it
// in the window, but nothing from it.
void plan_relay(const LaunchRequest& request, LaunchPlan& plan) {
  plan.reads_command_status = request.exit_code || (request.wait && plan.host_ends_at_once);
  RelayMessage relay{.keep = request.keep};
  if (plan.host_ends_at_once) {
    plan.relay_variables = request.variables;
    relay.needs_variables = !request.variables.empty();
  } else {
    relay.window_size = request.window_layout.size;
  }
  if (plan.reads_command_status || relay.needs_variables || relay.keep || relay.window_size) {
    plan.relay = std::move(relay);
  }
}

// The show command of the host's STARTUPINFO. Minimized, the window never
// takes the focus. wt.exe gets maximized and full screen as options of its
// own, which Terminal honours over the show command.
std::optional<ShowCommand> show_command_for(const WindowLayout& layout, bool conhost) {
  if (layout.show == WindowShow::minimized) return ShowCommand::show_min_no_activate;
  if (layout.show == WindowShow::maximized && conhost) return ShowCommand::show_maximized;
  if (layout.no_focus) return ShowCommand::show_no_activate;
  return std::nullopt;
}

// conhost.exe places the window it creates by its own STARTUPINFO, and
// the relay sizes it; wt.exe places a new window by options of its own.
void plan_window(const LaunchRequest& request, LaunchPlan& plan) {
  const WindowLayout& layout = request.window_layout;
  const bool conhost = request.target == Target::conhost;
  plan.window_layout = layout;
  plan.startup_window.show = show_command_for(layout, conhost);
  if (conhost) {
    plan.startup_window.position = layout.position;
    return;
  }
  plan.wt_window = request.window.value_or(request.tab.split ? "0"
                                           : layout.asked()  ? "new"
                                                             : "vornalt");
  plan.wt_tab = request.tab;
  plan.split_in_an_elevated_window = request.tab.split && plan.admin == Admin::prompt;
  plan.window_options_need_a_new_window = layout.asked() && plan.wt_window != "new";
  if (layout.show != WindowShow::minimized) plan.wt_window_options.show = layout.show;
  plan.wt_window_options.position = layout.position;
  plan.wt_window_options.size = layout.size;
}

}  // namespace

LaunchPlan plan_launch(const LaunchRequest& request, bool already_elevated) {
  LaunchPlan plan{.target = request.target, .shell = request.shell};
  plan.admin = admin_for(request, already_elevated);
  plan.dry_run = request.dry_run;
  plan.shows_progress = !request.quiet;
  plan.ends_with_command_status = request.exit_code && !request.dry_run;
  const bool conhost = request.target == Target::conhost;
  plan.host_ends_at_once = !conhost;
  // wt.exe ends at once: with wt, the relay's report is the wait.
  plan.waits_for_host = request.wait && conhost;
  plan.host_takes_folder = conhost;
  if (conhost) plan.host_variables = request.variables;
  plan_relay(request, plan);
  plan_window(request, plan);
  return plan;
}

LaunchPlan plan_launch(const LaunchRequest& request, Elevation& elevation) {
  return plan_launch(request, request.admin && elevation.is_elevated());
}

}  // namespace vornalt
