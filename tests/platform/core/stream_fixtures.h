#pragma once
// Test classes with one published property of every kind, for the form-stream tests.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <vantor/platform/core/collection.h>
#include <vantor/platform/core/component.h>
#include <vantor/platform/core/reader.h>
#include <vantor/platform/core/writer.h>

namespace vantor::testing {

enum class TShade : std::uint8_t { shNone, shLight, shDark };
enum class TStyleBit : std::uint8_t { stBold, stItalic, stUnderline };
using TStyleBits = Set<TStyleBit>;

}  // namespace vantor::testing

namespace vantor {
template <>
struct EnumNames<testing::TShade> {
  static constexpr std::array<std::string_view, 3> value{"shNone", "shLight", "shDark"};
};
template <>
struct EnumNames<testing::TStyleBit> {
  static constexpr std::array<std::string_view, 3> value{"stBold", "stItalic", "stUnderline"};
};
}  // namespace vantor

namespace vantor::testing {

class TTestFont : public TPersistent {
 public:
  static const TypeInfo& StaticType() {
    static const TypeInfo info = TypeBuilder<TTestFont>("TTestFont", &TPersistent::StaticType())
                                     .Property("Name", &TTestFont::Name, &TTestFont::SetName)
                                     .Property("Size", &TTestFont::Size, &TTestFont::SetSize, 8)
                                     .Property("Style", &TTestFont::Style, &TTestFont::SetStyle, TStyleBits{})
                                     .Build();
    return info;
  }
  const TypeInfo& ClassType() const override { return StaticType(); }
  const std::string& Name() const { return name_; }
  void SetName(const std::string& n) { name_ = n; }
  std::int32_t Size() const { return size_; }
  void SetSize(std::int32_t s) { size_ = s; }
  TStyleBits Style() const { return style_; }
  void SetStyle(TStyleBits s) { style_ = s; }

 private:
  std::string name_;
  std::int32_t size_ = 8;
  TStyleBits style_;
};

class TTestItem : public TCollectionItem {
 public:
  explicit TTestItem(TCollection* c) : TCollectionItem(c) {}
  static const TypeInfo& StaticType() {
    static const TypeInfo info = TypeBuilder<TTestItem>("TTestItem", &TCollectionItem::StaticType())
                                     .Item()
                                     .Property("Caption", &TTestItem::Caption, &TTestItem::SetCaption)
                                     .Property("Width", &TTestItem::Width, &TTestItem::SetWidth, 10)
                                     .Build();
    return info;
  }
  const TypeInfo& ClassType() const override { return StaticType(); }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& c) { caption_ = c; }
  std::int32_t Width() const { return width_; }
  void SetWidth(std::int32_t w) { width_ = w; }

 private:
  std::string caption_;
  std::int32_t width_ = 10;
};

class TTestItems : public TCollection {
 public:
  explicit TTestItems(TPersistent* owner) : TCollection(owner, TTestItem::StaticType()) {}
  ~TTestItems() override { Clear(); }
  TTestItem* Item(int i) const { return static_cast<TTestItem*>(Items(i)); }
};

// A component that can contain others (as a control contains controls), with one published
// property of every kind, a defined list property "Values" and a defined binary "Blob".
class TTestBox : public TComponent {
 public:
  using TPingEvent = Event<TComponent*>;

  explicit TTestBox(TComponent* owner) : TComponent(owner), items_(this) { ++live; }
  ~TTestBox() override {
    --live;
    SetParentComponent(nullptr);
    for (TTestBox* k : kids_) k->parent_ = nullptr;
  }

  static inline int live = 0;
  static inline std::vector<std::string> loaded_order;

  static const TypeInfo& StaticType() {
    static const TypeInfo info =
        TypeBuilder<TTestBox>("TTestBox", &TComponent::StaticType())
            .Component()
            .Property("Count", &TTestBox::Count, &TTestBox::SetCount)
            .Property("Enabled", &TTestBox::Enabled, &TTestBox::SetEnabled, true)
            .Property("Letter", &TTestBox::Letter, &TTestBox::SetLetter, U'A')
            .Property("Shade", &TTestBox::Shade, &TTestBox::SetShade, TShade::shNone)
            .Property("Caption", &TTestBox::Caption, &TTestBox::SetCaption)
            .Property("Hint", &TTestBox::Hint, &TTestBox::SetHint)
            .Stored(&TTestBox::IsHintStored)
            .Property("Ratio", &TTestBox::Ratio, &TTestBox::SetRatio)
            .Property("Font", &TTestBox::Font)
            .Property("Items", &TTestBox::Items)
            .Property("Buddy", &TTestBox::Buddy, &TTestBox::SetBuddy)
            .Event("OnPing", &TTestBox::OnPing)
            .Build();
    return info;
  }
  const TypeInfo& ClassType() const override { return StaticType(); }

  std::int32_t Count() const { return count_; }
  void SetCount(std::int32_t v) { count_ = v; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { enabled_ = v; }
  char32_t Letter() const { return letter_; }
  void SetLetter(char32_t v) { letter_ = v; }
  TShade Shade() const { return shade_; }
  void SetShade(TShade v) { shade_ = v; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v) { caption_ = v; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& v) { hint_ = v; }
  bool IsHintStored() const { return hint_ != "(auto)"; }
  double Ratio() const { return ratio_; }
  void SetRatio(double v) { ratio_ = v; }
  TTestFont* Font() const { return &font_; }
  TTestItems* Items() const { return &items_; }
  TTestBox* Buddy() const { return buddy_; }
  void SetBuddy(TTestBox* b) {
    if (b == buddy_) return;
    if (buddy_ != nullptr) RemoveFreeNotification(buddy_);
    buddy_ = b;
    if (b != nullptr) FreeNotification(b);
  }
  TPingEvent OnPing;

  // Defined properties.
  std::vector<std::int32_t> values;
  std::vector<std::uint8_t> blob;

  void DefineProperties(TFiler& filer) override {
    TComponent::DefineProperties(filer);
    filer.DefineProperty(
        "Values",
        [this](TReader& r) {
          values.clear();
          r.ReadListBegin();
          while (!r.EndOfList()) values.push_back(r.ReadInteger());
          r.ReadListEnd();
        },
        [this](TWriter& w) {
          w.WriteListBegin();
          for (std::int32_t v : values) w.WriteInteger(v);
          w.WriteListEnd();
        },
        !values.empty());
    filer.DefineBinaryProperty(
        "Blob",
        [this](TStream& s) {
          blob.assign(static_cast<std::size_t>(s.Size()), 0);
          s.ReadBuffer(blob.data(), s.Size());
        },
        [this](TStream& s) { s.WriteBuffer(blob.data(), static_cast<std::int64_t>(blob.size())); },
        !blob.empty());
  }

  // Containment, as controls nest in the stream.
  bool HasParent() const override { return parent_ != nullptr; }
  TComponent* GetParentComponent() const override { return parent_; }
  void SetParentComponent(TComponent* parent) override {
    if (parent_ != nullptr) std::erase(parent_->kids_, this);
    parent_ = dynamic_cast<TTestBox*>(parent);
    if (parent_ != nullptr) parent_->kids_.push_back(this);
  }
  std::vector<TComponent*> GetChildren(TComponent* root) const override {
    std::vector<TComponent*> out;
    if (root == this) {
      for (int i = 0; i < ComponentCount(); ++i) {
        if (!Components(i)->HasParent()) out.push_back(Components(i));
      }
    }
    for (TTestBox* k : kids_) {
      if (k->Owner() == root) out.push_back(k);
    }
    return out;
  }
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == opRemove && c == buddy_) buddy_ = nullptr;
  }
  void Loaded() override {
    seen_state_while_loading = ComponentState();
    TComponent::Loaded();
    loaded_order.push_back(Name());
  }
  TComponentState seen_state_while_loading;

 private:
  std::int32_t count_ = 0;
  bool enabled_ = true;
  char32_t letter_ = U'A';
  TShade shade_ = TShade::shNone;
  std::string caption_;
  std::string hint_;
  double ratio_ = 0;
  mutable TTestFont font_;
  mutable TTestItems items_;
  TTestBox* buddy_ = nullptr;
  TTestBox* parent_ = nullptr;
  std::vector<TTestBox*> kids_;
};

// A form: the root, with a method table for events.
class TTestForm : public TTestBox {
 public:
  explicit TTestForm(TComponent* owner) : TTestBox(owner) {
    RegisterMethod("BoxPing", TPingEvent::Handler([this](TComponent* c) { pinged.push_back(c); }));
    RegisterMethod("WrongShape", std::function<void(int)>([](int) {}));
  }
  static const TypeInfo& StaticType() {
    static const TypeInfo info =
        TypeBuilder<TTestForm>("TTestForm", &TTestBox::StaticType()).Component().Build();
    return info;
  }
  const TypeInfo& ClassType() const override { return StaticType(); }
  std::vector<TComponent*> pinged;
};

inline void RegisterTestClasses() {
  RegisterClass(TTestBox::StaticType());
  RegisterClass(TTestForm::StaticType());
}

}  // namespace vantor::testing
