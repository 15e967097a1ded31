// The registry operations against Wine's real registry, with data of every shape.
#include "settings/registry_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

namespace {

constexpr char kTestKey[] = "Software\\Vapryx Registry Test";

class Registry : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey); }
  void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey); }

  void Raw(const char* name, DWORD type, const void* data, DWORD length) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), length);
    RegCloseKey(key);
  }
  // Reads into a 20-byte buffer holding "default" and a tail of '#'.
  std::string ReadString(const char* name, uint32_t size = 20, int* result = nullptr) {
    std::memset(buffer, '#', sizeof buffer);
    std::memcpy(buffer, "default", 8);
    const int r = ReadStringSetting(HKEY_CURRENT_USER, kTestKey, name, buffer, size);
    if (result) *result = r;
    return std::string(buffer, sizeof buffer);
  }
  char buffer[24];
};

}  // namespace

TEST_F(Registry, StringsWrittenWithoutTheirZeroReadBack) {
  WriteStringSetting(HKEY_CURRENT_USER, kTestKey, "Text", "ab");
  int result = 0;
  EXPECT_EQ(ReadString("Text", 20, &result).substr(0, 8), std::string("ab\0ault", 8));
  EXPECT_EQ(result, 1);
  EXPECT_EQ(ReadString("Missing", 20, &result).substr(0, 8), std::string("default\0", 8));
  EXPECT_EQ(result, 0);
}

TEST_F(Registry, StringReadsNeverRunPastTheBuffer) {
  const std::string hundred(100, 'x');
  Raw("Binary", REG_BINARY, hundred.data(), 100);
  Raw("Exact", REG_SZ, hundred.data(), 20);  // 20 characters, no zero: no room for one
  Raw("Fits", REG_SZ, hundred.data(), 19);
  Raw("Empty", REG_SZ, "", 0);
  const DWORD five = 5;
  Raw("Number", REG_DWORD, &five, 4);
  int result = 0;
  for (const char* name : {"Binary", "Exact", "Empty"}) {
    const std::string after = ReadString(name, 20, &result);
    EXPECT_EQ(result, 0) << name;
    EXPECT_EQ(after, std::string("default\0############", 20) + "####") << name;
  }
  EXPECT_EQ(ReadString("Fits", 20, &result), std::string(19, 'x') + std::string("\0####", 5));
  EXPECT_EQ(result, 1);
  EXPECT_EQ(ReadString("Number", 20, &result).substr(0, 3), std::string("\x05\0f", 3));
}

TEST_F(Registry, DwordsReadRawBytesUpToFour) {
  ASSERT_EQ(WriteDwordSetting(HKEY_CURRENT_USER, kTestKey, "Volume", 0xFFFFFFFF), 1);
  uint32_t v = 5;
  EXPECT_EQ(ReadDwordSetting(HKEY_CURRENT_USER, kTestKey, "Volume", &v), 1);
  EXPECT_EQ(v, 0xFFFFFFFFu);
  Raw("Text", REG_SZ, "12345", 6);
  v = 5;
  EXPECT_EQ(ReadDwordSetting(HKEY_CURRENT_USER, kTestKey, "Text", &v), 0);
  EXPECT_EQ(v, 5u);
  Raw("Short", REG_BINARY, "\x09", 1);
  v = 0x11223344;
  EXPECT_EQ(ReadDwordSetting(HKEY_CURRENT_USER, kTestKey, "Short", &v), 1);
  EXPECT_EQ(v, 0x11223309u);
}
