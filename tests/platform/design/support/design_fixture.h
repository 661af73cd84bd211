#pragma once
// Small published classes for the designer's tests: a gadget with one property of every
// kind, a descendant, a sub-object and a collection.

#include <string>

#include <vantor/platform/core/collection.h>
#include <vantor/platform/core/component.h>
#include <vantor/platform/core/event.h>
#include <vantor/platform/rtl/set.h>

namespace vantor {

enum class TShade : std::uint8_t { shLight, shMedium, shDark };
template <>
struct EnumNames<TShade> {
  static constexpr std::array<std::string_view, 3> value{"shLight", "shMedium", "shDark"};
};
using TShades = Set<TShade>;

class TTrim : public TPersistent {
 public:
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
  int GetDepth() const { return depth_; }
  void SetDepth(int d) { depth_ = d; }

 private:
  int depth_ = 0;
};

class TPart : public TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
  std::string GetLabel() const { return label_; }
  void SetLabel(const std::string& s) { label_ = s; }

 private:
  std::string label_;
};

class TParts : public TCollection {
 public:
  explicit TParts(TPersistent* owner) : TCollection(owner, TPart::StaticType()) {}
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
};

class TGadget : public TComponent {
 public:
  explicit TGadget(TComponent* owner) : TComponent(owner) {}
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  int GetSize() const { return size_; }
  void SetSize(int v) { size_ = v; }
  // An integer some of whose values have names, as colours have.
  int GetTint() const { return tint_; }
  void SetTint(int v) { tint_ = v; }
  bool GetActive() const { return active_; }
  void SetActive(bool v) { active_ = v; }
  TShade GetShade() const { return shade_; }
  void SetShade(TShade v) { shade_ = v; }
  TShades GetShades() const { return shades_; }
  void SetShades(TShades v) { shades_ = v; }
  std::string GetCaption() const { return caption_; }
  void SetCaption(const std::string& v) { caption_ = v; }
  double GetRatio() const { return ratio_; }
  void SetRatio(double v) { ratio_ = v; }
  char32_t GetMark() const { return mark_; }
  void SetMark(char32_t v) { mark_ = v; }
  TGadget* GetBuddy() const { return buddy_; }
  void SetBuddy(TGadget* v) { buddy_ = v; }
  TTrim* GetTrim() const { return const_cast<TTrim*>(&trim_); }
  TParts* GetParts() const { return const_cast<TParts*>(&parts_); }
  Event<TComponent*> OnPing;

 private:
  int size_ = 0;
  int tint_ = 0;
  bool active_ = false;
  TShade shade_ = TShade::shLight;
  TShades shades_;
  std::string caption_;
  double ratio_ = 0;
  char32_t mark_ = U'*';
  TGadget* buddy_ = nullptr;
  TTrim trim_;
  TParts parts_{this};
};

// A descendant: inherits the registrations of TGadget.
class TBigGadget : public TGadget {
 public:
  using TGadget::TGadget;
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
};

}  // namespace vantor
