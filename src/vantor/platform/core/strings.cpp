#include <vantor/platform/core/strings.h>


#include <vantor/platform/core/update_guard.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

const TypeInfo& TStrings::StaticType() {
  static const TypeInfo info = TypeBuilder<TStrings>("TStrings", &TPersistent::StaticType()).Build();
  return info;
}

void TStrings::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  }
}

const std::string& TStrings::Strings(int index) const {
  CheckIndex(index);
  return items_[static_cast<std::size_t>(index)].text;
}

void TStrings::SetStrings(int index, const std::string& s) {
  CheckIndex(index);
  items_[static_cast<std::size_t>(index)].text = s;
  Changed();
}

void* TStrings::Objects(int index) const {
  CheckIndex(index);
  return items_[static_cast<std::size_t>(index)].object;
}

void TStrings::SetObjects(int index, void* object) {
  CheckIndex(index);
  items_[static_cast<std::size_t>(index)].object = object;
}

int TStrings::Add(const std::string& s, void* object) {
  items_.push_back({s, object});
  Changed();
  return Count() - 1;
}

void TStrings::Insert(int index, const std::string& s, void* object) {
  if (index < 0 || index > Count()) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  }
  items_.insert(items_.begin() + index, {s, object});
  Changed();
}

void TStrings::Delete(int index) {
  CheckIndex(index);
  items_.erase(items_.begin() + index);
  Changed();
}

void TStrings::Move(int from, int to) {
  CheckIndex(from);
  CheckIndex(to);
  if (from == to) return;
  Item item = std::move(items_[static_cast<std::size_t>(from)]);
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, std::move(item));
  Changed();
}

void TStrings::Clear() {
  if (items_.empty()) return;
  items_.clear();
  Changed();
}

int TStrings::IndexOf(std::string_view s) const {
  for (int i = 0; i < Count(); ++i) {
    const std::string& t = items_[static_cast<std::size_t>(i)].text;
    if (AnsiSameText(t, s)) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(const void* object) const {
  for (int i = 0; i < Count(); ++i) {
    if (items_[static_cast<std::size_t>(i)].object == object) return i;
  }
  return -1;
}

std::string TStrings::Text() const {
  std::string out;
  for (const Item& i : items_) {
    out += i.text;
    out += '\n';
  }
  return out;
}

void TStrings::SetText(std::string_view text) {
  UpdateGuard<TStrings> bracket(*this);
  items_.clear();
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    items_.push_back({std::string(text.substr(start, end - start)), nullptr});
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') {
      ++end;
    }
    start = end + 1;
  }
  Changed();
}

std::string TStrings::CommaText() const {
  std::string out;
  for (std::size_t n = 0; n < items_.size(); ++n) {
    if (n > 0) out += ',';
    const std::string& t = items_[n].text;
    if (t.find_first_of(" ,\"") == std::string::npos && !t.empty()) {
      out += t;
      continue;
    }
    out += '"';
    for (char c : t) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  return out;
}

std::vector<std::string> TStrings::ToVector() const {
  std::vector<std::string> v;
  v.reserve(items_.size());
  for (const Item& i : items_) v.push_back(i.text);
  return v;
}

void TStrings::Assign(const TPersistent* source) {
  if (const auto* other = dynamic_cast<const TStrings*>(source)) {
    if (other == this) return;
    items_ = other->items_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

bool TStrings::operator==(const TStrings& o) const { return ToVector() == o.ToVector(); }

void TStrings::EndUpdate() {
  if (update_count_ > 0 && --update_count_ == 0 && changed_while_updating_) {
    changed_while_updating_ = false;
    if (OnChange) OnChange(this);
  }
}

void TStrings::Changed() {
  if (update_count_ > 0) {
    changed_while_updating_ = true;
    return;
  }
  if (OnChange) OnChange(this);
}

}  // namespace vantor
