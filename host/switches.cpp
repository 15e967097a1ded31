// switches.cpp: switch search and run-mode choice.
#include "host/switches.h"

#include <cstring>

namespace {

char UpperCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// atol's reading of a number, kept within 32 bits.
int32_t ReadNumber(const char* p) {
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  int64_t v = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    v = v * 10 + (*p - '0');
    if (v > INT64_C(0x80000000)) v = INT64_C(0x80000000);  // saturate, never overflow
  }
  if (negative) return static_cast<int32_t>(-v);
  return v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v);
}

}  // namespace

int FindSwitch(const char* commandLine, char letter, int32_t* value) {
  *value = 0;
  if (letter == '\0') return 0;  // no switch has it; its patterns would end the search early
  char line[kSwitchBufferBytes] = {};
  if (commandLine != nullptr) std::strncpy(line, commandLine, kSwitchBufferBytes - 1);

  const char patterns[4][3] = {
      {'/', letter, 0}, {'/', UpperCase(letter), 0}, {'-', letter, 0}, {'-', UpperCase(letter), 0}};
  for (const char* pattern : patterns) {
    const char* found = std::strstr(line, pattern);
    if (found == nullptr) continue;
    // Skip the one character after the letter, unless the line ends right after it.
    if (found[2] != '\0' && found[3] != '\0') *value = ReadNumber(found + 3);
    return 1;
  }
  return 0;
}

RunChoice ChooseRunMode(const char* commandLine) {
  RunChoice choice = {Configure, 0};
  if (FindSwitch(commandLine, 'p', &choice.parentHandle)) {
    choice.mode = Preview;
  } else if (FindSwitch(commandLine, 's', &choice.parentHandle)) {
    choice.mode = Fullscreen;
  } else {
    FindSwitch(commandLine, 'c', &choice.parentHandle);
  }
  return choice;
}
