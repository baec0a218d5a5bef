// The service's properties: name -> text, kept in memory and, except for
// volatile ones, in a state file so that they survive a restart. Safe to call
// from several bus threads at once.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "wrappers/SrwSync.h"

namespace SettingsKit {

class PropertyStore {
 public:
  using Properties = std::vector<std::pair<std::wstring, std::wstring>>;

  // An empty path keeps everything in memory only.
  explicit PropertyStore(std::wstring statePath);

  // Reads the state file; a missing file is an empty store. False when the
  // file exists but cannot be read or parsed (the store then starts empty).
  bool load();

  // Writes the property; a volatile one is kept out of the state file (and an
  // earlier persisted value of it leaves the file). False only when the
  // state file could not be written; the value is in memory either way.
  bool set(const std::wstring& name, const std::wstring& value, bool isVolatile);
  bool get(const std::wstring& name, std::wstring& value) const;
  // Every property whose name starts with the prefix, in name order.
  Properties withPrefix(const std::wstring& prefix) const;
  // False when there was no such property.
  bool remove(const std::wstring& name);
  // The names removed, in name order.
  std::vector<std::wstring> removePrefix(const std::wstring& prefix);

  const std::wstring& statePath() const { return statePath_; }

  // The default state file: <common application data>\Brenix\SettingsManager\properties.json.
  static std::wstring defaultStatePath();

 private:
  struct Entry {
    std::wstring value;
    bool isVolatile;
  };
  // Writes the persistent entries; the lock is held.
  bool saveLocked() const;

  const std::wstring statePath_;
  mutable Ledra::SrwMutex mutex_;
  std::map<std::wstring, Entry> properties_;
};

}  // namespace SettingsKit
