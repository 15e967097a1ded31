// registry_win32.cpp: registry reads and writes of the settings.
#include "settings/registry_win32.h"

#include <cstring>

namespace {

// The value's raw bytes, at most `capacity` of them; 0 when absent or larger.
int QueryRaw(HKEY root, const char* keyPath, const char* name, uint8_t* data, DWORD capacity,
             DWORD* length) {
  HKEY key;
  if (RegOpenKeyExA(root, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  *length = capacity;
  const LONG result = RegQueryValueExA(key, name, nullptr, nullptr, data, length);
  RegCloseKey(key);
  return result == ERROR_SUCCESS && *length <= capacity;
}

HKEY CreateKey(HKEY root, const char* keyPath) {
  HKEY key;
  if (RegCreateKeyExA(root, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return key;
}

int ReadString(void*, const char* name, char* buffer, uint32_t bufferSize) {
  return ReadStringSetting(HKEY_CURRENT_USER, kSettingsKey, name, buffer, bufferSize);
}

int ReadDword(void*, const char* name, uint32_t* value) {
  return ReadDwordSetting(HKEY_CURRENT_USER, kSettingsKey, name, value);
}

}  // namespace

int ReadStringSetting(HKEY root, const char* keyPath, const char* name, char* buffer,
                      uint32_t bufferSize) {
  // Read into scratch first: whatever the stored type or terminator, only characters that
  // fit with their zero reach the caller's buffer.
  uint8_t data[256];
  if (bufferSize > sizeof data) bufferSize = sizeof data;
  DWORD length = 0;
  if (!QueryRaw(root, keyPath, name, data, bufferSize, &length)) return 0;
  return AcceptStringData(data, length, buffer, bufferSize);
}

int ReadDwordSetting(HKEY root, const char* keyPath, const char* name, uint32_t* value) {
  uint8_t data[4];
  DWORD length = 0;
  if (!QueryRaw(root, keyPath, name, data, sizeof data, &length)) return 0;
  return AcceptDwordData(data, length, value);
}

int WriteDwordSetting(HKEY root, const char* keyPath, const char* name, uint32_t value) {
  HKEY key = CreateKey(root, keyPath);
  if (key == nullptr) return 0;
  const LONG result =
      RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

void WriteStringSetting(HKEY root, const char* keyPath, const char* name, const char* text) {
  HKEY key = CreateKey(root, keyPath);
  if (key == nullptr) return;
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                 static_cast<DWORD>(std::strlen(text)));
  RegCloseKey(key);
}

SettingsReader RegistrySettingsReader() { return SettingsReader{nullptr, &ReadString, &ReadDword}; }
