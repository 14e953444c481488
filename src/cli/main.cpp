#include <iostream>

#include "cli/CommandLine.h"
#include "lib/Library.h"

int main(int argc, char** argv) {
  varko::xcRaiseOpenFileLimit();
  varko::xcLimitMallocArenas();
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv + 1, argv + argc);
  int status = varko::RunCommandLine(args, std::cin, std::cout, std::cerr);
  std::cout.flush();
  return status;
}
