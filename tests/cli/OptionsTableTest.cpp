#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>

#include "cli/CommandLine.h"
#include "cli/Options.h"
#include "support/TestSupport.h"

using namespace varko;
using namespace varko::test;

namespace {

// The documents are read from the source tree, beside this file.
std::string sourceFile(const char* relative) {
  const auto path = std::filesystem::path(__FILE__).parent_path() / "../.." / relative;
  return readFileBytes(path.lexically_normal().string());
}

std::vector<std::string_view> tableNames() {
  std::vector<std::string_view> names;
  for (const CommandLineOption& option : CommandLineOptionTable()) {
    if (!option.shortName.empty()) names.push_back(option.shortName);
    names.push_back(option.longName);
  }
  return names;
}

// Words that start with a dash, such as -r or --exclude-dir; a dash inside a word (a-z,
// 1-based) starts none.
std::set<std::string> optionWords(const std::string& text) {
  static const std::regex word(R"((?:^|[^A-Za-z0-9-])(--?[A-Za-z][A-Za-z0-9-]*))");
  std::set<std::string> words;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), word); it != std::sregex_iterator(); ++it)
    words.insert((*it)[1].str());
  return words;
}

// The manual page as it reads: font changes dropped, \- a dash.
std::string manualPageText() {
  std::string roff = std::regex_replace(sourceFile("packaging/varko-search.1"), std::regex(R"(\\f[BIRP])"), "");
  return std::regex_replace(roff, std::regex(R"(\\-)"), "-");
}

// The options the completion offers, from its word list.
std::string completionWords() {
  const std::string completion = sourceFile("packaging/varko-search.bash-completion");
  const size_t start = completion.find("compgen -W \"");
  if (start == std::string::npos) return std::string();
  return completion.substr(start + 12, completion.find('"', start + 12) - start - 12);
}

struct Document {
  const char* name;
  std::string text;
};

TEST(OptionsTable, TheManualPageAndTheCompletionNameExactlyTheOptionsOfTheTable) {
  const std::vector<std::string_view> names = tableNames();
  const std::set<std::string> table(names.begin(), names.end());
  for (const Document& doc :
       {Document{"manual page", manualPageText()}, Document{"bash completion", completionWords()}}) {
    SCOPED_TRACE(doc.name);
    const std::set<std::string> named = optionWords(doc.text);
    for (const std::string& name : table) EXPECT_TRUE(named.count(name)) << name << " is not named";
    for (const std::string& name : named) EXPECT_TRUE(table.count(name)) << name << " is not an option";
  }
}

// After an option that takes a value the completion offers no options.
TEST(OptionsTable, TheCompletionCompletesNoOptionAfterOneThatTakesAValue) {
  const std::string completion = sourceFile("packaging/varko-search.bash-completion");
  const size_t start = completion.find("case \"$prev\" in");
  ASSERT_NE(start, std::string::npos);
  const std::string cases = completion.substr(start, completion.find("esac", start) - start);
  const std::set<std::string> valueCases = optionWords(cases);
  for (const CommandLineOption& option : CommandLineOptionTable())
    EXPECT_EQ(valueCases.count(std::string(option.longName)), option.takesValue() ? 1u : 0u) << option.longName;
}

TEST(OptionsTable, TheUsageTextListsEveryOptionWithItsValueOnALineOfItsOwn) {
  const std::string usage = CommandLineUsage();
  for (const CommandLineOption& option : CommandLineOptionTable()) {
    std::string entry = "\n  ";
    if (!option.shortName.empty()) (entry += option.shortName) += ", ";
    entry += option.longName;
    if (option.takesValue()) (entry += ' ') += option.valueName;
    // The help follows after two blanks, or on the next line.
    const bool listed = usage.find(entry + "  ") != std::string::npos || usage.find(entry + "\n") != std::string::npos;
    EXPECT_TRUE(listed) << entry;
  }
}

TEST(OptionsTable, TheUsageTextFitsEightyColumns) {
  std::istringstream usage(CommandLineUsage());
  for (std::string line; std::getline(usage, line);) EXPECT_LE(line.size(), 80u) << line;
}

TEST(OptionsTable, TheReadmeShowsTheUsageText) {
  const std::string readme = sourceFile("README.md");
  const size_t section = readme.find("\n## The command line\n");
  ASSERT_NE(section, std::string::npos);
  const size_t start = readme.find("```\n", section) + 4;
  const size_t end = readme.find("```\n", start);
  EXPECT_EQ(readme.substr(start, end - start), CommandLineUsage());
}

TEST(OptionsTable, EachNameFindsItsOwnOptionAndEachOptionHasTheActionItsValueCallsFor) {
  for (const CommandLineOption& option : CommandLineOptionTable()) {
    SCOPED_TRACE(std::string(option.longName));
    EXPECT_EQ(option.longName.rfind("--", 0), 0u);
    if (!option.shortName.empty()) {
      EXPECT_EQ(option.shortName.size(), 2u);
      EXPECT_EQ(FindCommandLineOption(option.shortName), &option);
    }
    EXPECT_EQ(FindCommandLineOption(option.longName), &option);
    EXPECT_EQ(option.take != nullptr, option.takesValue());
    EXPECT_EQ(option.set != nullptr, !option.takesValue());
    EXPECT_FALSE(option.help.empty());
  }
}

TEST(OptionsTable, AnOptionGivenLastWithoutItsValueIsAnErrorNamingIt) {
  for (const CommandLineOption& option : CommandLineOptionTable()) {
    if (!option.takesValue()) continue;
    CommandLineOptions parsed;
    std::string error;
    EXPECT_FALSE(ParseCommandLine({"text", std::string(option.longName)}, parsed, error));
    EXPECT_EQ(error, "option " + std::string(option.longName) + " needs a value");
  }
}

TEST(OptionsTable, ArgumentsAfterADoubleDashAndALoneDashAreStrings) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> strings;
  };
  for (const Case& c : {Case{{"--", "-r", "--rows"}, {"-r", "--rows"}}, Case{{"-"}, {"-"}},
                        Case{{"a", "--", "--"}, {"a", "--"}}}) {
    CommandLineOptions parsed;
    std::string error;
    ASSERT_TRUE(ParseCommandLine(c.args, parsed, error)) << error;
    std::vector<std::string> strings;
    for (const Text& s : parsed.strings) strings.push_back(U8(s));
    EXPECT_EQ(strings, c.strings);
    EXPECT_FALSE(parsed.rows);
    EXPECT_FALSE(parsed.request.subFolders);
  }
}

}  // namespace
