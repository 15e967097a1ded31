// Settings: colour strings, the raw-data rules of the reads, and the saver-side load over a
// registry kept in a table.
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

uint32_t ColorRef(int r, int g, int b) { return r | (g << 8) | (b << 16); }

// Values by name as raw bytes; like the registry, a read offering fewer bytes than the data
// fails.
struct FakeStore {
  std::map<std::string, std::vector<uint8_t>> values;

  void String(const char* name, const std::string& s) { values[name].assign(s.begin(), s.end()); }
  void Dword(const char* name, uint32_t v) {
    values[name] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  }
  SettingsReader Reader() { return SettingsReader{this, &ReadString, &ReadDword}; }

  static int ReadString(void* c, const char* name, char* buffer, uint32_t size) {
    auto& values = static_cast<FakeStore*>(c)->values;
    auto it = values.find(name);
    if (it == values.end() || it->second.size() > size) return 0;
    return AcceptStringData(it->second.data(), static_cast<uint32_t>(it->second.size()), buffer,
                            size);
  }
  static int ReadDword(void* c, const char* name, uint32_t* value) {
    auto& values = static_cast<FakeStore*>(c)->values;
    auto it = values.find(name);
    if (it == values.end()) return 0;
    return AcceptDwordData(it->second.data(), static_cast<uint32_t>(it->second.size()), value);
  }
  SaverSettings Load() {
    SaverSettings s;
    std::memset(&s, 0xAB, sizeof s);
    const SettingsReader reader = Reader();
    LoadSaverSettings(&reader, &s);
    return s;
  }
};

}  // namespace

TEST(ColorString, FormatsZeroPaddedAndParsesBack) {
  char out[20];
  FormatColorString(ColorRef(5, 128, 0), out);
  EXPECT_STREQ(out, "005 128 000");
  for (uint32_t c : {ColorRef(0, 0, 0), ColorRef(255, 255, 255), ColorRef(1, 22, 203)}) {
    FormatColorString(c, out);
    EXPECT_EQ(ParseColorString(out), c) << out;
  }
}

TEST(ColorString, FieldsAtFixedOffsetsReadAsAtoi) {
  const struct {
    const char text[20];
    uint32_t color;
  } cases[] = {
      {"255 000 000", ColorRef(255, 0, 0)},
      {"300 000 000", ColorRef(44, 0, 0)},
      {"abc 010 020", ColorRef(0, 10, 20)},
      {"128\0 2\0\0 9", ColorRef(128, 2, 9)},
      {"-1 002 003", ColorRef(255, 2, 3)},
      {" 7x 12 3  9", ColorRef(7, 12, 9)},
      {"12345678901", ColorRef(123, 567 & 0xFF, 901 & 0xFF)},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseColorString(c.text), c.color) << c.text;
}

TEST(ReadRules, StringDataOfAnyShape) {
  char buffer[8];
  auto accept = [&](const std::vector<uint8_t>& data) {
    std::memcpy(buffer, "default", 8);
    return AcceptStringData(data.data(), static_cast<uint32_t>(data.size()), buffer, 8);
  };
  EXPECT_EQ(accept({'a', 'b'}), 1);  // stored without its zero, as the saver writes strings
  EXPECT_EQ(std::memcmp(buffer, "ab\0ault", 8), 0);  // the bytes behind the zero stay
  EXPECT_EQ(accept({'x', 0, 'y'}), 1);
  EXPECT_STREQ(buffer, "x");
  EXPECT_EQ(accept({}), 0);
  EXPECT_EQ(accept({0, 0}), 0);
  EXPECT_STREQ(buffer, "default");
  EXPECT_EQ(accept({'1', '2', '3', '4', '5', '6', '7'}), 1);  // seven characters and the zero fit
  EXPECT_EQ(accept({'1', '2', '3', '4', '5', '6', '7', '8'}), 0);  // no room for the zero
  EXPECT_STREQ(buffer, "default");
}

TEST(ReadRules, DwordDataReplacesBytesFromTheLowestUp) {
  uint32_t v = 0x11223344;
  const uint8_t two[] = {0xAA, 0xBB};
  EXPECT_EQ(AcceptDwordData(two, 2, &v), 1);
  EXPECT_EQ(v, 0x1122BBAAu);
  const uint8_t five[] = {1, 2, 3, 4, 5};
  EXPECT_EQ(AcceptDwordData(five, 5, &v), 0);
  EXPECT_EQ(v, 0x1122BBAAu);
  EXPECT_EQ(AcceptDwordData(five, 0, &v), 1);
  EXPECT_EQ(v, 0x1122BBAAu);
}

TEST(LoadSaverSettings, DefaultsWhenNothingIsStored) {
  FakeStore store;
  const SaverSettings s = store.Load();
  EXPECT_STREQ(s.text, "name");
  EXPECT_STREQ(s.font, "Arial Black");
  EXPECT_EQ(s.fieldWidth, 640);
  EXPECT_EQ(s.fieldHeight, 480);
  EXPECT_EQ(s.brightness, 5);
  EXPECT_EQ(s.volume, 5);
  EXPECT_EQ(s.color, ColorRef(255, 255, 255));
}

TEST(LoadSaverSettings, StoredValuesAsTheyStand) {
  FakeStore store;
  store.String("Text", "ab");
  store.String("Font", "Liberation Serif");
  store.Dword("Resolution", 7);
  store.Dword("Brightness", 20);
  store.Dword("Volume", 0xFFFFFFFF);
  store.String("Color", "128");
  const SaverSettings s = store.Load();
  EXPECT_STREQ(s.text, "ab");  // not merged with the rest of "name"
  EXPECT_STREQ(s.font, "Liberation Serif");
  EXPECT_EQ(s.fieldWidth, 800);
  EXPECT_EQ(s.fieldHeight, 600);
  EXPECT_EQ(s.brightness, 20);
  EXPECT_EQ(s.volume, -1);
  EXPECT_EQ(s.color, ColorRef(128, 255, 255));  // green and blue keep the default's digits
}

TEST(LoadSaverSettings, BadValuesFallBack) {
  FakeStore store;
  store.values["Text"].assign(100, 'x');  // REG_BINARY of 100 bytes, no zero
  store.String("Font", std::string(300, 'F'));
  store.String("Color", "abc");
  store.String("Volume", "12345");   // a string where a number belongs: 5 bytes
  store.values["Brightness"] = {9};  // one byte
  store.String("Resolution", "");    // empty data
  const SaverSettings s = store.Load();
  EXPECT_STREQ(s.text, "name");
  EXPECT_STREQ(s.font, "Arial Black");
  EXPECT_EQ(s.color, ColorRef(0, 255, 255));
  EXPECT_EQ(s.volume, 5);
  EXPECT_EQ(s.brightness, 9);
  EXPECT_EQ(s.fieldWidth, 640);

  FakeStore empty;
  empty.values["Text"] = {0};
  empty.String("Font", "");
  const SaverSettings e = empty.Load();
  EXPECT_STREQ(e.text, "name");
  EXPECT_STREQ(e.font, "Arial Black");

  FakeStore longest;
  longest.String("Text", std::string(99, 't'));  // 99 characters and the zero fill the buffer
  EXPECT_EQ(std::string(longest.Load().text), std::string(99, 't'));
  longest.String("Text", std::string(100, 't'));
  EXPECT_STREQ(longest.Load().text, "name");
}
