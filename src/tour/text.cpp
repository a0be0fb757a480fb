// Text-mode line reading and atof/atoi number reading for the tour's text files.
#include "tour/text.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

TextFile textFromBytes(std::string bytes) {
  const std::size_t end = bytes.find('\x1a');
  if (end != std::string::npos) bytes.resize(end);
  TextFile file;
  file.bytes = std::move(bytes);
  return file;
}

bool readTextFile(const std::string& path, TextFile& out, std::string& error) {
  if (path.find('\0') != std::string::npos) {
    error = "the path holds a NUL byte";
    return false;
  }
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    error = std::strerror(errno);
    return false;
  }
  std::string bytes;
  char buffer[1 << 16];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
    bytes.append(buffer, n);
    // Nothing after a 0x1A is ever read, so stop early on a huge file that holds one.
    if (std::memchr(buffer, 0x1a, n)) break;
  }
  const bool failed = std::ferror(f) != 0;
  const int readErrno = errno;
  std::fclose(f);
  if (failed) {
    // A directory opens but cannot be read; say so rather than read it as empty.
    error = std::strerror(readErrno);
    return false;
  }
  out = textFromBytes(std::move(bytes));
  return true;
}

bool readLine(TextFile& file, std::string& line) {
  const std::string& b = file.bytes;
  if (file.pos >= b.size()) return false;
  const std::size_t lf = b.find('\n', file.pos);
  if (lf == std::string::npos) {
    line.assign(b, file.pos, std::string::npos);
    file.pos = b.size();
    return true;
  }
  std::size_t end = lf;
  if (end > file.pos && b[end - 1] == '\r') --end;
  line.assign(b, file.pos, end - file.pos);
  file.pos = lf + 1;
  return true;
}

float readDecimal(const std::string& line) {
  return static_cast<float>(std::strtod(line.c_str(), nullptr));
}

std::int32_t readInteger(const std::string& line) {
  const char* p = line.c_str();
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  // Accumulate towards the sign so INT32_MIN itself is reachable; clamp once past range.
  const std::int64_t limit =
      negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
               : std::numeric_limits<std::int32_t>::max();
  std::int64_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > limit) {
      value = limit;
      // The rest of the digits cannot bring it back into range.
      break;
    }
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

std::string printablePath(const std::string& path) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(path.size());
  for (unsigned char c : path) {
    if (c < 0x20 || c == 0x7f) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}
