#include "platform/design/support/design_fixture.h"

namespace vantor {

const TypeInfo& TTrim::StaticType() {
  static const TypeInfo info = TypeBuilder<TTrim>("TTrim", &TPersistent::StaticType())
                                   .Property("Depth", &TTrim::GetDepth, &TTrim::SetDepth, 0)
                                   .Build();
  return info;
}

const TypeInfo& TPart::StaticType() {
  static const TypeInfo info = TypeBuilder<TPart>("TPart", &TCollectionItem::StaticType())
                                   .Item()
                                   .Property("Label", &TPart::GetLabel, &TPart::SetLabel)
                                   .Build();
  return info;
}

const TypeInfo& TParts::StaticType() {
  static const TypeInfo info = TypeBuilder<TParts>("TParts", &TCollection::StaticType()).Build();
  return info;
}

const TypeInfo& TGadget::StaticType() {
  static const TypeInfo info = TypeBuilder<TGadget>("TGadget", &TComponent::StaticType())
                                   .Component()
                                   .Property("Size", &TGadget::GetSize, &TGadget::SetSize, 0)
                                   .Range(0, 100)
                                   .Property("Tint", &TGadget::GetTint, &TGadget::SetTint, 0)
                                   .Idents(
                                       [](std::string_view name) -> std::optional<std::int64_t> {
                                         if (name == "tnRed") return 0xFF;
                                         if (name == "tnWindow") return -2147483643;
                                         return std::nullopt;
                                       },
                                       [](std::int64_t v) -> std::optional<std::string> {
                                         if (v == 0xFF) return "tnRed";
                                         if (v == -2147483643) return "tnWindow";
                                         return std::nullopt;
                                       })
                                   .Property("Active", &TGadget::GetActive, &TGadget::SetActive, false)
                                   .Property("Shade", &TGadget::GetShade, &TGadget::SetShade, TShade::shLight)
                                   .Property("Shades", &TGadget::GetShades, &TGadget::SetShades, TShades{})
                                   .Property("Caption", &TGadget::GetCaption, &TGadget::SetCaption)
                                   .Property("Ratio", &TGadget::GetRatio, &TGadget::SetRatio)
                                   .Property("Mark", &TGadget::GetMark, &TGadget::SetMark)
                                   .Property("Buddy", &TGadget::GetBuddy, &TGadget::SetBuddy)
                                   .Property("Trim", &TGadget::GetTrim)
                                   .Property("Parts", &TGadget::GetParts)
                                   .Event("OnPing", &TGadget::OnPing)
                                   .Build();
  return info;
}

const TypeInfo& TBigGadget::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TBigGadget>("TBigGadget", &TGadget::StaticType()).Component().Build();
  return info;
}

}  // namespace vantor
