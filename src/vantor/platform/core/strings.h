#pragma once
// TStrings: an ordered list of texts, each with an optional associated object,
// as the host's string lists (combo-box items, field-name lists, memo lines).

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/core/persistent.h>

namespace vantor {

class TStrings : public TPersistent {
 public:
  TStrings() = default;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  int Count() const { return static_cast<int>(items_.size()); }
  // EListError "List index out of bounds (N)" outside 0..Count-1.
  const std::string& Strings(int index) const;
  const std::string& operator[](int index) const { return Strings(index); }
  void SetStrings(int index, const std::string& s);
  void* Objects(int index) const;
  void SetObjects(int index, void* object);

  int Add(const std::string& s, void* object = nullptr);
  void Insert(int index, const std::string& s, void* object = nullptr);
  void Delete(int index);
  void Move(int from, int to);
  void Clear();
  // First index of `s`, compared case-insensitively as the host's lists do; -1 when absent.
  int IndexOf(std::string_view s) const;
  int IndexOfObject(const void* object) const;

  // All lines joined with "\n" (each line followed by one); setting splits on CR/LF.
  std::string Text() const;
  void SetText(std::string_view text);
  // Comma-separated, quoting items that contain blanks, commas or quotes.
  std::string CommaText() const;

  std::vector<std::string> ToVector() const;
  void Assign(const TPersistent* source) override;
  bool operator==(const TStrings& o) const;

  // Folds change notifications of a batch of edits into one OnChange.
  void BeginUpdate() { ++update_count_; }
  void EndUpdate();

  std::function<void(TStrings*)> OnChange;

 private:
  struct Item {
    std::string text;
    void* object = nullptr;
  };
  void Changed();
  void CheckIndex(int index) const;

  std::vector<Item> items_;
  int update_count_ = 0;
  bool changed_while_updating_ = false;
};

using TStringList = TStrings;

}  // namespace vantor
