#include <exception>
#include <iostream>
#include <new>

#include "cli/CommandLine.h"
#include "lib/Library.h"

int main(int argc, char** argv) {
  varko::raiseOpenFileLimit();
  varko::limitMallocArenas();
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv + 1, argv + argc);
  // An error nothing below handled is a failure with its reason, never an abort or "no match".
  try {
    int status = varko::RunCommandLine(args, std::cin, std::cout, std::cerr);
    std::cout.flush();
    return status;
  } catch (const std::bad_alloc&) {
    std::cout.flush();
    std::cerr << "varko-search: not enough memory (std::bad_alloc)\n";
  } catch (const std::exception& e) {
    std::cout.flush();
    std::cerr << "varko-search: " << e.what() << '\n';
  }
  return 2;
}
