#include "pipe/starter_pipe.h"

#include "pipe/protocol.h"

namespace vornalt {

StarterConnection connect_to_starter(std::string_view name, Pipes& pipes) {
  StarterConnection connection;
  Expected<std::unique_ptr<Pipe>> opened = pipes.open_pipe(name);
  if (!opened.ok()) return connection;
  if (!(*opened)->other_end_runs_this_program()) {
    connection.link = StarterLink::not_vornalt;
    return connection;
  }
  VariablesReader reader;
  read_pipe(**opened, [&](std::string_view bytes) {
    reader.take(bytes);
    return reader.state() == VariablesReader::State::reading;
  });
  if (reader.state() != VariablesReader::State::complete) {
    connection.link = StarterLink::variables_unreadable;
    return connection;
  }
  connection.link = StarterLink::connected;
  connection.variables = reader.variables();
  connection.pipe = std::move(*opened);
  return connection;
}

}  // namespace vornalt
