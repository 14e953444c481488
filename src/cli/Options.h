#pragma once
// The options of varko-search, described once: the parser and the usage text both read this table.
#include <span>
#include <string>
#include <string_view>

#include "cli/CommandLine.h"

namespace varko {

enum class OptionGroup { Search, Replace, Export };

struct CommandLineOption {
  std::string_view shortName;  // "-r", or empty
  std::string_view longName;   // "--subfolders"
  std::string_view valueName;  // shown in the usage text; empty for a switch
  std::string_view help;       // one line, wrapped by the usage text
  OptionGroup group;
  // A switch has set; an option with a value has take, which may refuse the value with an error.
  void (*set)(CommandLineOptions&) = nullptr;
  bool (*take)(CommandLineOptions&, const std::string& value, std::string& error) = nullptr;

  bool takesValue() const { return !valueName.empty(); }
};

// Every option, in the order of the usage text.
std::span<const CommandLineOption> CommandLineOptionTable();

// The option spelled exactly arg (short or long name), or nullptr.
const CommandLineOption* FindCommandLineOption(std::string_view arg);

}  // namespace varko
