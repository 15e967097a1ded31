// registry_win32.h: the settings store in the registry. Every operation opens the key,
// does one thing and closes it again, on every path.
#pragma once
#include <windows.h>

#include <cstdint>

#include "settings/settings.h"

int ReadStringSetting(HKEY root, const char* keyPath, const char* name, char* buffer,
                      uint32_t bufferSize);
int ReadDwordSetting(HKEY root, const char* keyPath, const char* name, uint32_t* value);
int WriteDwordSetting(HKEY root, const char* keyPath, const char* name, uint32_t value);
void WriteStringSetting(HKEY root, const char* keyPath, const char* name, const char* text);

// A reader over HKEY_CURRENT_USER\Control Panel\Screen Saver.Vapryx.
SettingsReader RegistrySettingsReader();
