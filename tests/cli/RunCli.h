#pragma once
// The command line run in the test's own process, with no input and its output kept.
#include <sstream>
#include <string>
#include <vector>
#include "cli/CommandLine.h"

namespace varko::test {

struct CliResult {
  int status = -1;
  std::string out, err;
};

inline CliResult runCli(std::vector<std::string> args) {
  std::ostringstream out, err;
  std::istringstream in;
  CliResult r;
  r.status = RunCommandLine(args, in, out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

}  // namespace varko::test
