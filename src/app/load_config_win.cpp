// The image's load configuration. Its DependentLoadFlags make the loader resolve our static
// imports (wininet, winhttp, gdiplus, ...) from System32 only, never from the folder the
// elevated program was started in, where a planted DLL could wait.
#include <windows.h>

extern "C" {
extern const IMAGE_LOAD_CONFIG_DIRECTORY64 _load_config_used;
constinit const IMAGE_LOAD_CONFIG_DIRECTORY64 _load_config_used = [] {
  IMAGE_LOAD_CONFIG_DIRECTORY64 config{};
  config.Size = sizeof(config);
  config.Reserved1 = LOAD_LIBRARY_SEARCH_SYSTEM32;  // DependentLoadFlags
  return config;
}();
}
