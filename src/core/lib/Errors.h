#pragma once
// The platform's errors, raised where the described routines let them reach the caller.
#include <stdexcept>
#include "lib/Text.h"

namespace varko {

class VarkoError : public std::runtime_error {
public:
  explicit VarkoError(const Text& message) : std::runtime_error(toUtf8(message)), text_(message) {}
  const Text& text() const { return text_; }
private:
  Text text_;
};

// A text that is not a whole number, or a date that cannot be encoded.
class EConvertError : public VarkoError {
public:
  using VarkoError::VarkoError;
};

// A file that exists but cannot be opened, read or written; text is strerror's.
class EFileError : public VarkoError {
public:
  using VarkoError::VarkoError;
};

// A settings-file write the platform refused: "Unable to write to %s".
class EIniFileException : public VarkoError {
public:
  using VarkoError::VarkoError;
};

// "'%s' is an invalid mask at (%d)"
class EMaskException : public VarkoError {
public:
  using VarkoError::VarkoError;
};

// The text of errno, as the platform words it ("Permission denied").
Text systemErrorText(int errnoValue);

}  // namespace varko
