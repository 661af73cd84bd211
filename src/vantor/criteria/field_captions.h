#pragma once
// TFieldCaptions: the two texts a range row shows before its first edit (WithCaption,
// default "with") and before its second (OnCaption, default "on"); an empty caption
// shows no label.
//
// An empty caption would be indistinguishable from "not stored" in the form stream, so
// while the owner is written at design time an empty caption reads as one blank, and
// loading takes that blank off again.

#include <array>
#include <string>

#include <vantor/platform/core/persistent.h>

namespace vantor {

class TFieldsOwner;

class TFieldCaptions : public TPersistent {
 public:
  // Starts with the default texts of the string table.
  explicit TFieldCaptions(TFieldsOwner* owner);

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
  TPersistent* GetOwner() const override;

  // Index 0 WithCaption, 1 OnCaption.
  std::string GetCaption(int index) const;
  // Stores a changed caption and relays the panel out.
  void SetCaption(int index, const std::string& value);
  // The caption differs from its default text.
  bool IsCaptionStored(int index) const;
  // The default text of a caption, read from the string table at each call.
  static std::string DefaultCaption(int index);

 private:
  TFieldsOwner* owner_;
  std::array<std::string, 2> captions_;
};

}  // namespace vantor
