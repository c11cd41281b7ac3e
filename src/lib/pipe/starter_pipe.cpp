#include "pipe/starter_pipe.h"

#include "pipe/protocol.h"

namespace vornalt {
namespace {

std::vector<Variable> read_variables(Pipe& pipe, bool& complete) {
  RelayVariablesReader reader;
  while (reader.state() == RelayVariablesReader::State::reading) {
    const Expected<std::string> bytes = pipe.read();
    if (!bytes.ok() || bytes->empty()) break;
    reader.take(*bytes);
  }
  complete = reader.state() == RelayVariablesReader::State::complete;
  return reader.variables();
}

}  // namespace

StarterConnection connect_to_starter(std::string_view name, Pipes& pipes) {
  StarterConnection connection;
  Expected<std::unique_ptr<Pipe>> opened = pipes.open_pipe(name);
  if (!opened.ok()) return connection;
  if (!(*opened)->other_end_runs_this_program()) {
    connection.link = StarterLink::not_vornalt;
    return connection;
  }
  bool complete = false;
  connection.variables = read_variables(**opened, complete);
  connection.link = complete ? StarterLink::connected : StarterLink::variables_unreadable;
  if (complete) connection.pipe = std::move(*opened);
  return connection;
}

}  // namespace vornalt
