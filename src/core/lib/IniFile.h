#pragma once
// Sectioned settings file, read and written in place. Section and key names ignore the case of
// a-z; every line the program does not write is kept byte for byte; new lines end in CR LF.
#include <cstdint>
#include "lib/Text.h"

namespace varko {

class IniFile {
public:
  explicit IniFile(Text fileName) : fileName_(std::move(fileName)) {}
  const Text& fileName() const { return fileName_; }

  // Values are trimmed and cut to 2047 characters. Missing file/section/key gives the default.
  Text ReadString(TextView section, TextView key, const Text& defaultValue) const;
  // Decimal, or hexadecimal after "0x"; anything else gives the default.
  int32_t ReadInteger(TextView section, TextView key, int32_t defaultValue) const;
  bool ReadBool(TextView section, TextView key, bool defaultValue) const;
  bool SectionExists(TextView section) const;

  // Throws EIniFileException("Unable to write to <file>") when the write is refused.
  void WriteString(TextView section, TextView key, const Text& value);
  void WriteInteger(TextView section, TextView key, int32_t value);
  void WriteBool(TextView section, TextView key, bool value);

private:
  Text fileName_;
};

}  // namespace varko
