#include <vantor/platform/core/registry.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace vantor {

namespace {

std::string& StorePathOverride() {
  static std::string path;
  return path;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string RootName(HKEY root) {
  switch (root) {
    case HKEY_CLASSES_ROOT:
      return "HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER:
      return "HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE:
      return "HKEY_LOCAL_MACHINE";
    case HKEY_USERS:
      return "HKEY_USERS";
    default:
      return "HKEY_" + std::to_string(root);
  }
}

// Tabs, line breaks and '%' are written as %09, %0A, %0D, %25; everything else as is.
std::string Escape(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '\t' || c == '\n' || c == '\r' || c == '%') {
      static constexpr char kHex[] = "0123456789ABCDEF";
      const auto b = static_cast<unsigned char>(c);
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += c;
    }
  }
  return out;
}

bool Unescape(std::string_view s, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      out += s[i];
      continue;
    }
    unsigned v = 0;
    if (i + 2 >= s.size()) return false;
    const auto res = std::from_chars(s.data() + i + 1, s.data() + i + 3, v, 16);
    if (res.ec != std::errc() || res.ptr != s.data() + i + 3) return false;
    out += static_cast<char>(v);
    i += 2;
  }
  return true;
}

struct Value {
  std::string name;
  bool is_integer = false;
  std::int32_t integer = 0;
  std::string text;
};

struct Key {
  std::string path;                    // as first written: "HKEY_CURRENT_USER\Software\..."
  std::map<std::string, Value> values;  // by upper-case name
};

// The whole store: keys by upper-case full path. Loaded fresh for every operation, so
// several registry objects (and processes) see each other's writes.
class Store {
 public:
  static Store Load() {
    Store store;
    std::ifstream in(TRegistry::StorePath());
    std::string line;
    Key* current = nullptr;
    // Lines that do not parse are skipped: a damaged settings file must not stop the program.
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::vector<std::string_view> f;
      std::string_view rest = line;
      for (std::size_t tab = rest.find('\t'); tab != std::string_view::npos; tab = rest.find('\t')) {
        f.push_back(rest.substr(0, tab));
        rest = rest.substr(tab + 1);
      }
      f.push_back(rest);
      std::string a;
      std::string b;
      if (f.size() == 2 && f[0] == "K" && Unescape(f[1], a)) {
        current = &store.keys_[Upper(a)];
        current->path = a;
      } else if (f.size() == 4 && f[0] == "V" && current != nullptr && Unescape(f[1], a) && Unescape(f[3], b)) {
        Value v;
        v.name = a;
        if (f[2] == "I") {
          v.is_integer = true;
          const auto res = std::from_chars(b.data(), b.data() + b.size(), v.integer);
          if (res.ec != std::errc() || res.ptr != b.data() + b.size()) continue;
        } else if (f[2] == "S") {
          v.text = b;
        } else {
          continue;
        }
        current->values[Upper(a)] = v;
      }
    }
    return store;
  }

  void Save() const {
    const std::string path = TRegistry::StorePath();
    MakeDirectories(path.substr(0, path.rfind('/')));
    std::string text = "# vantor settings store\n";
    for (const auto& [upper, key] : keys_) {
      text += "K\t" + Escape(key.path) + "\n";
      for (const auto& [vu, v] : key.values) {
        text += "V\t" + Escape(v.name) + (v.is_integer ? "\tI\t" + std::to_string(v.integer) : "\tS\t" + Escape(v.text)) + "\n";
      }
    }
    const std::string temp = path + ".tmp." + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) Fail("Cannot write the settings store " + temp);
    std::size_t done = 0;
    while (done < text.size()) {
      const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ::close(fd);
        ::unlink(temp.c_str());
        Fail("Cannot write the settings store " + temp);
      }
      done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) {
      ::close(fd);
      ::unlink(temp.c_str());
      Fail("Cannot flush the settings store " + temp);
    }
    ::close(fd);
    if (::rename(temp.c_str(), path.c_str()) != 0) {
      ::unlink(temp.c_str());
      Fail("Cannot replace the settings store " + path);
    }
    // Make the rename itself durable.
    const int dir = ::open(path.substr(0, path.rfind('/')).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      ::fsync(dir);
      ::close(dir);
    }
  }

  Key* Find(const std::string& full) {
    auto it = keys_.find(Upper(full));
    return it == keys_.end() ? nullptr : &it->second;
  }
  Key& Create(const std::string& full) {
    // The keys above it exist too, as in a tree.
    for (std::size_t p = full.find('\\'); p != std::string::npos; p = full.find('\\', p + 1)) {
      Key& parent = keys_[Upper(full.substr(0, p))];
      if (parent.path.empty()) parent.path = full.substr(0, p);
    }
    Key& key = keys_[Upper(full)];
    if (key.path.empty()) key.path = full;
    return key;
  }
  bool Erase(const std::string& full) {
    const std::string upper = Upper(full);
    const std::string prefix = upper + "\\";
    bool found = false;
    for (auto it = keys_.begin(); it != keys_.end();) {
      if (it->first == upper || it->first.compare(0, prefix.size(), prefix) == 0) {
        it = keys_.erase(it);
        found = true;
      } else {
        ++it;
      }
    }
    return found;
  }

 private:
  [[noreturn]] static void Fail(const std::string& message) {
    throw ERegistryException(message + ": " + std::strerror(errno));
  }
  static void MakeDirectories(const std::string& dir) {
    if (dir.empty()) return;
    for (std::size_t p = dir.find('/', 1); ; p = dir.find('/', p + 1)) {
      const std::string part = dir.substr(0, p);
      if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) Fail("Cannot create " + part);
      if (p == std::string::npos) break;
    }
  }

  std::map<std::string, Key> keys_;
};

std::string Trim(std::string key) {
  while (!key.empty() && key.back() == '\\') key.pop_back();
  return key;
}

}  // namespace

void TRegistry::SetStorePath(const std::string& path) { StorePathOverride() = path; }

std::string TRegistry::StorePath() {
  if (!StorePathOverride().empty()) return StorePathOverride();
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home != nullptr ? home : ".") + "/.config";
  }
  return base + "/vantor/registry";
}

void TRegistry::SetRootKey(HKEY root) {
  if (root == root_) return;
  root_ = root;
  CloseKey();
}

std::string TRegistry::Resolve(const std::string& key) const {
  if (!key.empty() && key[0] == '\\') return Trim(key.substr(1));
  if (path_.empty()) return Trim(key);
  if (key.empty()) return path_;
  return Trim(path_ + "\\" + key);
}

std::string TRegistry::FullPath(const std::string& relative) const {
  return relative.empty() ? RootName(root_) : RootName(root_) + "\\" + relative;
}

bool TRegistry::OpenKey(const std::string& key, bool can_create) {
  const std::string relative = Resolve(key);
  Store store = Store::Load();
  if (relative.empty() || store.Find(FullPath(relative)) != nullptr) {
    path_ = relative;
    return true;
  }
  if (!can_create) return false;
  store.Create(FullPath(relative));
  store.Save();
  path_ = relative;
  return true;
}

bool TRegistry::KeyExists(const std::string& key) const {
  const std::string relative = Resolve(key);
  return relative.empty() || Store::Load().Find(FullPath(relative)) != nullptr;
}

bool TRegistry::DeleteKey(const std::string& key) {
  const std::string relative = Resolve(key);
  if (relative.empty()) return false;
  Store store = Store::Load();
  if (!store.Erase(FullPath(relative))) return false;
  store.Save();
  if (Upper(path_) == Upper(relative) || Upper(path_).starts_with(Upper(relative) + "\\")) CloseKey();
  return true;
}

bool TRegistry::ValueExists(const std::string& name) const {
  Store store = Store::Load();
  const Key* key = store.Find(FullPath(path_));
  return key != nullptr && key->values.count(Upper(name)) != 0;
}

std::int32_t TRegistry::ReadInteger(const std::string& name) const {
  Store store = Store::Load();
  const Key* key = store.Find(FullPath(path_));
  const auto it = key != nullptr ? key->values.find(Upper(name)) : std::map<std::string, Value>::const_iterator{};
  if (key == nullptr || it == key->values.end()) {
    throw ERegistryException("Value '" + name + "' does not exist in " + FullPath(path_));
  }
  if (!it->second.is_integer) throw ERegistryException("Invalid data type for '" + name + "': not an integer");
  return it->second.integer;
}

std::string TRegistry::ReadString(const std::string& name) const {
  Store store = Store::Load();
  const Key* key = store.Find(FullPath(path_));
  const auto it = key != nullptr ? key->values.find(Upper(name)) : std::map<std::string, Value>::const_iterator{};
  if (key == nullptr || it == key->values.end()) {
    throw ERegistryException("Value '" + name + "' does not exist in " + FullPath(path_));
  }
  if (it->second.is_integer) throw ERegistryException("Invalid data type for '" + name + "': not a string");
  return it->second.text;
}

void TRegistry::WriteInteger(const std::string& name, std::int32_t value) {
  Store store = Store::Load();
  Value& v = store.Create(FullPath(path_)).values[Upper(name)];
  v = Value{name, true, value, {}};
  store.Save();
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  Store store = Store::Load();
  Value& v = store.Create(FullPath(path_)).values[Upper(name)];
  v = Value{name, false, 0, value};
  store.Save();
}

bool TRegistry::DeleteValue(const std::string& name) {
  Store store = Store::Load();
  Key* key = store.Find(FullPath(path_));
  if (key == nullptr || key->values.erase(Upper(name)) == 0) return false;
  store.Save();
  return true;
}

}  // namespace vantor
