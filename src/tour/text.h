// Text-mode reading of the tour's text files ("data/rooms.inf", each room's "info.rm"):
// a line ends at LF, a CR right before that LF is not part of it (a CR elsewhere stays),
// a 0x1A byte ends the file, and numbers read as atof and atoi read them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct TextFile {
  std::string bytes;  // the file's bytes up to (not including) the first 0x1A
  std::size_t pos = 0;
};

// Builds a text file from raw bytes; everything from the first 0x1A on is dropped.
TextFile textFromBytes(std::string bytes);

// Reads the whole file. On failure returns false and leaves the reason (strerror) in error.
bool readTextFile(const std::string& path, TextFile& out, std::string& error);

// Takes the next line. Returns false when nothing is left: a last line without an LF is
// still a line as long as it holds at least one byte.
bool readLine(TextFile& file, std::string& line);

// As atof: leading white space, sign, digits, point, exponent; 0 where no number starts.
// The double is rounded to the nearest 32-bit float.
float readDecimal(const std::string& line);

// As atoi: leading white space, sign, decimal digits; 0 where no number starts. Values
// beyond the 32-bit range saturate at INT32_MIN or INT32_MAX.
std::int32_t readInteger(const std::string& line);

// The path as it may be printed on one line of a terminal: control bytes (a CR or NUL
// inside a room name, say) are shown as \xNN.
std::string printablePath(const std::string& path);
