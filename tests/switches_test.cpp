// Command-line switches and the run mode, as tables of command lines.
#include "host/switches.h"

#include <gtest/gtest.h>

#include <string>

#include "host/input.h"

TEST(FindSwitch, PatternsNumbersAndTheSkippedCharacter) {
  const struct {
    const char* line;
    char letter;
    int found;
    int32_t value;
  } cases[] = {
      {"/p 567", 'p', 1, 567},
      {"-P 12", 'p', 1, 12},
      {"/c:4242", 'c', 1, 4242},
      {"/p", 'p', 1, 0},
      {"/p ", 'p', 1, 0},
      {"/p x", 'p', 1, 0},
      {"/p  -33", 'p', 1, -33},
      {"/p 12abc", 'p', 1, 12},
      {"/p9123", 'p', 1, 123},
      {"-p 5 /P 7", 'p', 1, 7},  // /P is searched before -p
      {"/s", 'p', 0, 0},
      {"", 's', 0, 0},
      {"x/Sy 40", 's', 1, 40},
      {"/p 99999999999", 'p', 1, INT32_MAX},
      {"/p -99999999999", 'p', 1, INT32_MIN},
  };
  for (const auto& c : cases) {
    int32_t value = -1;
    EXPECT_EQ(FindSwitch(c.line, c.letter, &value), c.found) << c.line;
    EXPECT_EQ(value, c.value) << c.line;
  }
}

namespace {

// Leaves digits where FindSwitch's frame will be, so that reading past the end of its copy
// of the line shows as a number even without AddressSanitizer.
__attribute__((noinline)) void PaintStack() {
  volatile char digits[16384];
  for (size_t i = 0; i < sizeof digits; ++i) digits[i] = '7';
}

}  // namespace

TEST(FindSwitch, LongLinesAreSearchedInTheirFirst999Characters) {
  std::string line(995, ' ');
  line += "/p 123456";  // the switch starts at 995; the copy ends after "/p 1"
  int32_t value = -1;
  EXPECT_EQ(FindSwitch(line.c_str(), 'p', &value), 1);
  EXPECT_EQ(value, 1);
  const std::string far = std::string(2000, 'x') + " /s";
  EXPECT_EQ(FindSwitch(far.c_str(), 's', &value), 0);
  EXPECT_EQ(value, 0);
  const std::string edge = std::string(997, ' ') + "/p";  // ends exactly at the copy's end
  value = -1;
  PaintStack();
  EXPECT_EQ(FindSwitch(edge.c_str(), 'p', &value), 1);
  EXPECT_EQ(value, 0);
  // The letter 0 is no switch, even where a '/' ends the copy.
  value = -1;
  EXPECT_EQ(FindSwitch((std::string(998, ' ') + "/").c_str(), '\0', &value), 0);
  EXPECT_EQ(value, 0);
}

TEST(ChooseRunMode, PreviewThenFullScreenThenTheDialog) {
  const struct {
    const char* line;
    SaverMode mode;
    int32_t parent;
  } cases[] = {
      {"/p 1234", Preview, 1234}, {"/s", Fullscreen, 0},      {"/S /p 77", Preview, 77},
      {"/c:555", Configure, 555}, {"", Configure, 0},         {"/x 9", Configure, 0},
      {"-s 31", Fullscreen, 31},  {"/c 8 /s", Fullscreen, 0},
  };
  for (const auto& c : cases) {
    const RunChoice choice = ChooseRunMode(c.line);
    EXPECT_EQ(choice.mode, c.mode) << c.line;
    EXPECT_EQ(choice.parentHandle, c.parent) << c.line;
  }
}

TEST(MouseRule, ElevenMovesAreAbsorbedAndTheTwelfthEndsTheRun) {
  int32_t moves = 0;
  for (int i = 1; i <= 11; ++i) EXPECT_EQ(CountMouseMove(&moves), 0) << "move " << i;
  EXPECT_EQ(CountMouseMove(&moves), 1);
  EXPECT_EQ(CountMouseMove(&moves), 1);  // never reset
}

// On Wayland: moves within 16 logical pixels of where the pointer was first seen, however
// many, do not end it; one beyond does, in any direction.
TEST(PointerMovedFar, ASmallMoveIsANudgeALargeOneEndsIt) {
  const struct {
    double x, y;
    int ends;
  } path[] = {{500, 300, 0}, {510, 300, 0}, {490, 310, 0}, {511, 311, 0}, {500, 316, 0},
              {500, 284, 0}, {512, 290, 0}, {514, 291, 1}};
  PointerTravel travel{};
  for (const auto& at : path) {
    EXPECT_EQ(PointerMovedFar(&travel, at.x, at.y), at.ends) << at.x << "," << at.y;
  }
  PointerTravel fresh{};
  EXPECT_EQ(PointerMovedFar(&fresh, 0, 0), 0);  // the first position seen is the anchor
  EXPECT_EQ(PointerMovedFar(&fresh, -17, 0), 1);
}
