// Fuzzes the text-mode line reader, the room list and the atof/atoi number readers with
// arbitrary file contents. Beyond "no crash, no read out of range" it checks what every
// caller relies on: lines never hold an LF or a 0x1A, the room list is exactly the lines,
// and readInteger agrees with a saturating strtol.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "menu/menu.h"
#include "tour/text.h"

namespace {
void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_text: broken: %s\n", what);
    std::abort();
  }
}

std::int32_t referenceInteger(const std::string& line) {
  errno = 0;
  const long long v = std::strtoll(line.c_str(), nullptr, 10);
  if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TextFile file = textFromBytes(bytes);
  const std::size_t cut = bytes.find('\x1a');
  check(file.bytes.size() == (cut == std::string::npos ? size : cut), "0x1A cut");

  std::vector<std::string> lines;
  std::string line;
  std::size_t lastPos = file.pos;
  while (readLine(file, line)) {
    check(file.pos > lastPos && file.pos <= file.bytes.size(), "readLine moves forward");
    lastPos = file.pos;
    check(line.find('\n') == std::string::npos, "no LF in a line");
    check(line.find('\x1a') == std::string::npos, "no 0x1A in a line");
    volatile float f = readDecimal(line);
    (void)f;
    check(readInteger(line) == referenceInteger(line), "readInteger as a saturating strtol");
    lines.push_back(line);
  }
  check(!readLine(file, line), "the end stays the end");

  TextFile again = textFromBytes(bytes);
  check(parseRoomNames(again) == lines, "room list is the lines");
  return 0;
}
