// A run's regular expressions, matched with RE2 (see Patterns.h).
#include "match/Patterns.h"

#include <re2/filtered_re2.h>
#include <re2/re2.h>
#include <re2/set.h>

#include <algorithm>

namespace varko {

struct Patterns::Compiled {
  std::vector<std::unique_ptr<re2::RE2>> res;
  // Whole words, searched from inside the line: the character before must be a non-word one.
  std::vector<std::unique_ptr<re2::RE2>> resInside;
  std::unique_ptr<re2::RE2::Set> set;  // many patterns: one pass tells which match
  int groupOffset = 0;                 // 1 when wrapped for whole words
};

namespace {

re2::RE2::Options optionsFor(bool ignoreCase) {
  re2::RE2::Options o;
  o.set_case_sensitive(!ignoreCase);
  o.set_log_errors(false);
  // Room for big patterns and long lines before RE2 falls back to its slower (still linear) engine.
  o.set_max_mem(int64_t{64} << 20);
  return o;
}

// Whole words: a non-word character or the line's end on either side. The edges keep their
// letter case, whatever the pattern's, or the Kelvin sign would count as a letter.
std::string wrappedForWords(const std::string& pattern, bool atLineStart) {
  return std::string(atLineStart ? "(?-i:^|[^0-9A-Za-z_])(" : "(?-i:[^0-9A-Za-z_])(") + pattern +
         ")(?-i:[^0-9A-Za-z_]|$)";
}

// \C takes one byte, which could split a character (and a replace would break it).
bool takesSingleBytes(std::string_view pattern) {
  for (size_t i = 0; i + 1 < pattern.size(); ++i)
    if (pattern[i] == '\\' && pattern[++i] == 'C') return true;
  return false;
}

// The longest stretch of an atom whose bytes find every spelling RE2 may match: ASCII, and not
// k or s, which RE2's case folding also matches with the Kelvin sign and the long s.
std::string safeStretch(const std::string& atom) {
  std::string best, run;
  for (char c : atom) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x80 && c != 'k' && c != 's') {
      run += c;
      if (run.size() > best.size()) best = run;
    } else {
      run.clear();
    }
  }
  return best;
}

}  // namespace

Patterns::~Patterns() = default;

size_t Patterns::size() const { return c_->res.size(); }

std::shared_ptr<const Patterns> Patterns::compile(const TextList& patterns, bool ignoreCase, bool wholeWords,
                                                  Text& error) {
  std::shared_ptr<Patterns> p(new Patterns);
  p->c_ = std::make_unique<Compiled>();
  Compiled& c = *p->c_;
  c.groupOffset = wholeWords ? 1 : 0;
  re2::RE2::Options options = optionsFor(ignoreCase);
  std::vector<std::string> utf8;
  for (const Text& pattern : patterns) {
    utf8.push_back(toUtf8(pattern));
    // Checked as typed first: wrapping could make a stray ")" look balanced.
    re2::RE2 plain(utf8.back(), options);
    if (!plain.ok()) {
      error = u"Regular expression \"" + pattern + u"\": " + fromUtf8(plain.error());
      return nullptr;
    }
    if (takesSingleBytes(utf8.back())) {
      error = u"Regular expression \"" + pattern + u"\": \\C (any byte) is not supported; use . (any character)";
      return nullptr;
    }
    auto re = std::make_unique<re2::RE2>(wholeWords ? wrappedForWords(utf8.back(), true) : utf8.back(), options);
    if (!re->ok()) {
      error = u"Regular expression \"" + pattern + u"\": " + fromUtf8(re->error());
      return nullptr;
    }
    c.res.push_back(std::move(re));
    if (wholeWords) c.resInside.push_back(std::make_unique<re2::RE2>(wrappedForWords(utf8.back(), false), options));
  }
  if (c.res.size() > 1) {
    c.set = std::make_unique<re2::RE2::Set>(options, re2::RE2::UNANCHORED);
    for (const auto& re : c.res) c.set->Add(re->pattern(), nullptr);
    if (!c.set->Compile()) c.set.reset();  // out of memory: the patterns are tried one by one
  }
  p->chooseNeedles(utf8, ignoreCase);
  return p;
}

// RE2's prefilter gives the strings each pattern needs (as AND and OR of them). A smallest set
// that every pattern needs one of is found by leaving strings out while no pattern can match
// without them; the byte search then looks for those only.
void Patterns::chooseNeedles(const std::vector<std::string>& utf8, bool ignoreCase) {
  needles_.clear();
  re2::FilteredRE2 filter(2);
  int id = 0;
  for (const std::string& pattern : utf8)
    if (filter.Add(pattern, optionsFor(ignoreCase), &id) != re2::RE2::NoError) return;
  std::vector<std::string> atoms;
  filter.Compile(&atoms);
  std::vector<int> present, potential;
  filter.AllPotentials(present, &potential);
  if (!potential.empty()) return;  // a pattern needs no particular string
  std::vector<std::string> stretches;
  for (const std::string& atom : atoms) stretches.push_back(safeStretch(atom));
  // Weakest first: the ones the byte search could not use, then the shortest.
  std::vector<int> order(atoms.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return stretches[a].size() < stretches[b].size(); });
  std::vector<bool> needed(atoms.size(), true);
  for (int candidate : order) {
    needed[candidate] = false;
    present.clear();
    for (size_t i = 0; i < atoms.size(); ++i)
      if (!needed[i]) present.push_back(static_cast<int>(i));
    filter.AllPotentials(present, &potential);
    if (!potential.empty()) needed[candidate] = true;
  }
  TextList chosen;
  for (size_t i = 0; i < atoms.size(); ++i) {
    if (!needed[i]) continue;
    if (stretches[i].empty()) return;
    chosen.push_back(fromUtf8(stretches[i]));
  }
  needles_ = std::move(chosen);
}

bool Patterns::find(size_t i, std::string_view line, size_t from, Found& found, Groups* groups) const {
  if (from > line.size()) return false;
  const int offset = c_->groupOffset;
  const bool inside = offset && from > 0;
  const re2::RE2& re = inside ? *c_->resInside[i] : *c_->res[i];
  re2::StringPiece parts[11];
  int wanted = groups ? std::min(re.NumberOfCapturingGroups() + 1, 10 + offset) : 1 + offset;
  if (inside) {
    // From the character before: it is the edge a whole word there needs.
    --from;
    while (from > 0 && (static_cast<unsigned char>(line[from]) & 0xC0) == 0x80) --from;
  }
  if (!re.Match(re2::StringPiece(line.data(), line.size()), from, line.size(), re2::RE2::UNANCHORED, parts, wanted))
    return false;
  const re2::StringPiece& whole = parts[offset];
  found.start = static_cast<size_t>(whole.data() - line.data());
  found.length = whole.size();
  if (groups) {
    groups->fill(std::string_view());
    for (int g = 0; g + offset < wanted && g < 10; ++g)
      if (parts[g + offset].data()) (*groups)[g] = std::string_view(parts[g + offset].data(), parts[g + offset].size());
  }
  return true;
}

int Patterns::firstMatch(std::string_view line, Found& found) const {
  if (!c_->set) {
    for (size_t i = 0; i < c_->res.size(); ++i)
      if (find(i, line, 0, found)) return static_cast<int>(i);
    return -1;
  }
  thread_local std::vector<int> matching;
  matching.clear();
  re2::RE2::Set::ErrorInfo info{};
  if (!c_->set->Match(re2::StringPiece(line.data(), line.size()), &matching, &info)) {
    if (info.kind == re2::RE2::Set::kNoError) return -1;
    // The set's automaton ran out of memory: one pattern at a time then.
    for (size_t i = 0; i < c_->res.size(); ++i)
      if (find(i, line, 0, found)) return static_cast<int>(i);
    return -1;
  }
  std::sort(matching.begin(), matching.end());
  for (int i : matching)
    if (find(static_cast<size_t>(i), line, 0, found)) return i;
  return -1;
}

std::function<size_t(TextView, size_t)> patternMatchLength(std::shared_ptr<const Patterns> patterns) {
  if (!patterns) return {};
  return [patterns = std::move(patterns)](TextView line, size_t at) -> size_t {
    const std::string utf8 = toUtf8(line);
    Patterns::Found found;
    if (patterns->firstMatch(utf8, found) < 0 || utf16Offset(utf8, found.start) != at) return 0;
    return utf16Offset(utf8, found.start + found.length) - at;
  };
}

size_t utf16Offset(std::string_view utf8, size_t byteOffset) {
  size_t units = 0;
  for (size_t i = 0; i < byteOffset && i < utf8.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(utf8[i]);
    if ((b & 0xC0) != 0x80) ++units;
    if (b >= 0xF0) ++units;  // beyond the basic plane: two UTF-16 units
  }
  return units;
}

}  // namespace varko
