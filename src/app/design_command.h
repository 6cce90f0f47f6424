#pragma once
// `sonvex-cli design PAGE [options]`: the calculator window's pages on the
// command line. Options are the page's inputs named after their controls;
// the output is the page's result lines as its lists show them.
#include <iosfwd>
#include <map>
#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace sonvex {

struct DesignArgs {
  std::string page;  // box, port, crossover, divider, zobel
  // Every option of every page; only the given ones have a value.
  std::map<std::string, std::optional<std::string>> values;
};

// Registers the subcommand with its options (grouped by page for --help).
CLI::App* AddDesignCommand(CLI::App& app, DesignArgs& args);

// Prints the result lines of the page, one per line, the lists of a page
// separated by an empty line. Returns 0, or 2 with a message for an option
// that does not belong to the page or a value out of range.
int RunDesignCommand(const DesignArgs& args, std::ostream& out, std::ostream& err);

}  // namespace sonvex
