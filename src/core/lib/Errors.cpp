#include "lib/Errors.h"

#include <cstring>

namespace varko {

Text systemErrorText(int errnoValue) {
  char buffer[256];
  // GNU strerror_r may return a static string instead of filling the buffer.
  const char* msg = strerror_r(errnoValue, buffer, sizeof buffer);
  return fromUtf8(msg);
}

}  // namespace varko
