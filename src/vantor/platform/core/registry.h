#pragma once
// TRegistry: a small hierarchical key/value store for user settings (a window's size),
// with the host registry's interface. It lives in one text file, by default
// $XDG_CONFIG_HOME/vantor/registry (or ~/.config/vantor/registry); every change
// rewrites the file atomically (temporary file, fsync, rename), so a crash leaves either
// the old or the new content, never a torn file.

#include <cstdint>
#include <string>

#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

using HKEY = std::uint32_t;
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;

class TRegistry {
 public:
  TRegistry() = default;
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;
  ~TRegistry() = default;

  HKEY RootKey() const { return root_; }
  // Changing the root closes the current key.
  void SetRootKey(HKEY root);
  // The open key's path below the root ("Software\\Corvale\\..."), "" for the root itself.
  const std::string& CurrentPath() const { return path_; }

  // Opens `key` (relative to the open key unless it starts with a backslash); creates it
  // (and the keys above it) when `can_create`. False when it does not exist and may not be
  // created. Key names compare case-insensitively.
  bool OpenKey(const std::string& key, bool can_create);
  bool KeyExists(const std::string& key) const;
  // Removes a key, its values and the keys below it; false when it did not exist.
  bool DeleteKey(const std::string& key);
  void CloseKey() { path_.clear(); }

  // Values of the open key. Reading a missing value, or one of another type, raises
  // ERegistryException naming the value and the key.
  bool ValueExists(const std::string& name) const;
  std::int32_t ReadInteger(const std::string& name) const;
  void WriteInteger(const std::string& name, std::int32_t value);
  std::string ReadString(const std::string& name) const;
  void WriteString(const std::string& name, const std::string& value);
  bool DeleteValue(const std::string& name);

  // The file behind every registry object of the process; empty restores the default.
  static void SetStorePath(const std::string& path);
  static std::string StorePath();

 private:
  std::string Resolve(const std::string& key) const;
  std::string FullPath(const std::string& relative) const;

  HKEY root_ = HKEY_CURRENT_USER;
  std::string path_;
};

}  // namespace vantor
