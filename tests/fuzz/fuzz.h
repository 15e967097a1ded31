// fuzz.h: what the fuzz targets share: a check that stops the run with the failed
// condition, and a reader that takes the input apart.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#define FUZZ_CHECK(condition)                                                               \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                         \
    }                                                                                       \
  } while (0)

// Reads the input front to back; past its end every read gives zeros.
struct FuzzInput {
  const uint8_t* data;
  size_t size;

  uint8_t Byte() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
  uint32_t Word() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Byte()) << (8 * i);
    return v;
  }
  int32_t Int() { return static_cast<int32_t>(Word()); }
  std::vector<uint8_t> Bytes(size_t n) {
    n = std::min(n, size);
    std::vector<uint8_t> bytes(data, data + n);
    data += n;
    size -= n;
    return bytes;
  }
  std::string Rest() {
    const std::vector<uint8_t> rest = Bytes(size);
    return std::string(rest.begin(), rest.end());
  }
};

// The input split at its zero bytes into the arguments after a program name.
struct FuzzArguments {
  std::vector<std::string> strings;
  std::vector<char*> argv;

  FuzzArguments(const uint8_t* data, size_t size) {
    strings.push_back("program");
    std::string current;
    for (size_t i = 0; i < size; ++i) {
      if (data[i] == 0) {
        strings.push_back(current);
        current.clear();
      } else {
        current += static_cast<char>(data[i]);
      }
    }
    if (!current.empty()) strings.push_back(current);
    for (std::string& s : strings) argv.push_back(&s[0]);
    argv.push_back(nullptr);
  }
  int argc() const { return static_cast<int>(strings.size()); }
};

// A message of one line, as every refusal gives.
inline bool IsOneLine(const std::string& message) {
  return !message.empty() && message.find('\n') == std::string::npos &&
         message.find('\r') == std::string::npos;
}
