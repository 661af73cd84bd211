#include <vantor/platform/data/field.h>

#include <algorithm>

#include <vantor/platform/data/data_set.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

const TypeInfo& TField::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TField>("TField", &TComponent::StaticType())
          .Property("Alignment", &TField::Alignment, &TField::SetAlignment)
          .Stored(&TField::IsAlignmentStored)
          .Property("DisplayLabel", &TField::DisplayLabel, &TField::SetDisplayLabel)
          .Stored(&TField::IsDisplayLabelStored)
          .Property("DisplayWidth", &TField::DisplayWidth, &TField::SetDisplayWidth)
          .Stored(&TField::IsDisplayWidthStored)
          .Property("EditMask", &TField::EditMask, &TField::SetEditMask, "")
          .Property("FieldKind", &TField::FieldKind, &TField::SetFieldKind, fkData)
          .Property("FieldName", &TField::FieldName, &TField::SetFieldName, "")
          .Property("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly, false)
          .Property("Required", &TField::Required, &TField::SetRequired, false)
          .Property("Size", &TField::Size, &TField::SetSize, 0)
          .Property("Visible", &TField::Visible, &TField::SetVisible, true)
          .Build();
  return info;
}

TField::TField(TComponent* owner) : TComponent(owner) {
  if (auto* data_set = dynamic_cast<TDataSet*>(owner)) {
    data_set_ = data_set;
    data_set->AddField(this);
  }
}

TField::~TField() {
  if (data_set_ != nullptr) data_set_->RemoveField(this);
}

void TField::SetDataSet(TDataSet* data_set) {
  if (data_set == data_set_) return;
  if ((data_set_ != nullptr && data_set_->Active()) || (data_set != nullptr && data_set->Active())) {
    throw EDatabaseError("Cannot perform this operation on an open dataset");
  }
  if (data_set_ != nullptr) data_set_->RemoveField(this);
  data_set_ = data_set;
  if (data_set_ != nullptr) data_set_->AddField(this);
}

void TField::SetFieldName(const std::string& name) {
  if (name == field_name_) return;
  if (data_set_ != nullptr && data_set_->Active()) {
    throw EDatabaseError("Cannot perform this operation on an open dataset");
  }
  field_name_ = name;
}

void TField::SetFieldKind(TFieldKind kind) {
  if (kind == field_kind_) return;
  if (data_set_ != nullptr && data_set_->Active()) {
    throw EDatabaseError("Cannot perform this operation on an open dataset");
  }
  field_kind_ = kind;
}

void TField::SetSize(int size) {
  if (size == size_) return;
  if (size < 0) throw EDatabaseError("Invalid field size " + std::to_string(size));
  if (data_set_ != nullptr && data_set_->Active()) {
    throw EDatabaseError("Cannot perform this operation on an open dataset");
  }
  size_ = size;
}

int TField::Index() const {
  if (data_set_ == nullptr) return -1;
  for (int i = 0; i < data_set_->FieldCount(); ++i) {
    if (data_set_->Fields(i) == this) return i;
  }
  return -1;
}

void TField::SetDisplayLabel(const std::string& label) {
  const std::string stored = label == field_name_ ? std::string() : label;
  if (stored == display_label_) return;
  display_label_ = stored;
  if (data_set_ != nullptr && data_set_->Active()) data_set_->DataEvent(deLayoutChange);
}

void TField::SetDisplayWidth(int width) {
  if (width == display_width_) return;
  display_width_ = std::max(width, 0);
  if (data_set_ != nullptr && data_set_->Active()) data_set_->DataEvent(deLayoutChange);
}

void TField::SetEditMask(const std::string& mask) {
  if (mask == edit_mask_) return;
  edit_mask_ = mask;
}

void TField::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  if (data_set_ != nullptr && data_set_->Active()) data_set_->DataEvent(deLayoutChange);
}

void TField::SetAlignment(TAlignment alignment) {
  if (alignment_set_ && alignment == alignment_) return;
  alignment_ = alignment;
  alignment_set_ = true;
  if (data_set_ != nullptr && data_set_->Active()) data_set_->DataEvent(deLayoutChange);
}

void TField::SetRequired(bool required) { required_ = required; }

void TField::SetReadOnly(bool read_only) { read_only_ = read_only; }

void TField::CheckDataSet() const {
  if (data_set_ == nullptr) throw EDatabaseError("Field '" + field_name_ + "' has no dataset");
}

bool TField::IsNull() const { return AsVariant().IsClear(); }

void TField::Clear() { SetAsVariant(Variant::Null()); }

Variant TField::AsVariant() const {
  CheckDataSet();
  return data_set_->GetFieldValue(*this);
}

void TField::SetAsVariant(const Variant& value) {
  CheckDataSet();
  if (value.IsClear()) {
    data_set_->SetFieldValue(*this, Variant::Null());
    return;
  }
  // Convert first: a value that does not fit leaves the record untouched.
  data_set_->SetFieldValue(*this, Convert(value));
}

std::string TField::AsString() const {
  const Variant v = AsVariant();
  return v.IsClear() ? std::string() : ValueText(v);
}

void TField::SetAsString(const std::string& text) {
  CheckDataSet();
  if (text.empty()) {
    data_set_->SetFieldValue(*this, Variant::Null());
    return;
  }
  data_set_->SetFieldValue(*this, TextToValue(text));
}

std::string TField::ValueText(const Variant& stored) const { return stored.AsString(); }

namespace {

// Coercions of a null value read as the type's zero, as the host's accessors do.
template <typename T, typename F>
T Coerce(const Variant& v, T zero, F f) {
  return v.IsClear() ? zero : f(v);
}

}  // namespace

std::int32_t TField::AsInteger() const {
  return Coerce<std::int32_t>(AsVariant(), 0, [](const Variant& v) { return v.AsInteger(); });
}
void TField::SetAsInteger(std::int32_t value) { SetAsVariant(Variant(value)); }

double TField::AsFloat() const {
  return Coerce<double>(AsVariant(), 0.0, [](const Variant& v) { return v.AsDouble(); });
}
void TField::SetAsFloat(double value) { SetAsVariant(Variant(value)); }

bool TField::AsBoolean() const {
  return Coerce<bool>(AsVariant(), false, [](const Variant& v) { return v.AsBoolean(); });
}
void TField::SetAsBoolean(bool value) { SetAsVariant(Variant(value)); }

TDateTime TField::AsDateTime() const {
  return Coerce<TDateTime>(AsVariant(), 0.0, [](const Variant& v) { return v.AsDate(); });
}
void TField::SetAsDateTime(TDateTime value) { SetAsVariant(Variant::FromDate(value)); }

Currency TField::AsCurrency() const {
  return Coerce<Currency>(AsVariant(), Currency{}, [](const Variant& v) { return v.AsCurrency(); });
}
void TField::SetAsCurrency(Currency value) { SetAsVariant(Variant(value)); }

bool TField::IsValidChar(char32_t ch) const { return ch != 0; }

void TField::ConvertFailure(const Variant& value) const {
  std::string text;
  try {
    text = value.AsString();
  } catch (const Exception&) {
    text = "?";
  }
  throw EConvertError("'" + text + "' is not a valid value for field '" + field_name_ + "' (" +
                      std::string(FieldTypeName(data_type_)) + ")");
}

void TField::RangeFailure(const std::string& value_text, const std::string& range) const {
  throw EDatabaseError("Value " + value_text + " is out of range for field '" + field_name_ + "' (" + range + ")");
}

}  // namespace vantor
