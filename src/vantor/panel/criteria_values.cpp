// The panel's entered values as a whole: clearing them, snapshots by field name, and the
// two defined stream properties "Values" and "CommentTexts".
//
// The stream encoding is a persisted format that forms written by earlier builds rely
// on; it addresses records by collection index, which is why nothing is written while
// the list is the default one generated from the data set.
//
// "Values":       list( { index, type ordinal, list( { slot, value } ) } )
// "CommentTexts": list( { index, list( { slot, text } ) } )
// A value is written as the item its type calls for (string, integer, boolean, float;
// currency and BCD as the extended real nearest their exact amount, which gives it back)
// and read back by the type ordinal that was written, not by the record's current type;
// SetValues then converts it to the current type.

#include <cstdint>

#include <vantor/criteria/field_record.h>
#include <vantor/criteria/fields_list.h>
#include <vantor/panel/panel_fields_set.h>
#include <vantor/platform/core/extended.h>
#include <vantor/platform/core/reader.h>
#include <vantor/platform/core/update_guard.h>
#include <vantor/platform/core/writer.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

namespace {

enum class ValueItem : std::uint8_t { String, Integer, Boolean, Float, Currency, Date, Text };

// Which stream item a field type's values travel as.
ValueItem ItemFor(TFieldType type) {
  switch (type) {
    case TFieldType::ftString:
    case TFieldType::ftMemo:
    case TFieldType::ftFmtMemo:
      return ValueItem::String;
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
    case TFieldType::ftAutoInc:
      return ValueItem::Integer;
    case TFieldType::ftBoolean:
      return ValueItem::Boolean;
    case TFieldType::ftFloat:
      return ValueItem::Float;
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
      return ValueItem::Currency;
    case TFieldType::ftDate:
    case TFieldType::ftTime:
    case TFieldType::ftDateTime:
      return ValueItem::Date;
    default:
      return ValueItem::Text;
  }
}

void WriteValue(TWriter& writer, const TFieldRecord& record, TFieldType type, const Variant& value) {
  switch (ItemFor(type)) {
    case ValueItem::String:
      writer.WriteString(VarToStr(value));
      break;
    case ValueItem::Integer:
      writer.WriteInteger(value.AsInteger());
      break;
    case ValueItem::Boolean:
      writer.WriteBoolean(value.AsBoolean());
      break;
    case ValueItem::Float:
      writer.WriteFloat(value.AsDouble());
      break;
    case ValueItem::Currency:
      // The same extended item as a float, but the one nearest the exact value: a
      // double would lose the last digits of large amounts.
      writer.WriteExtended(CurrencyToExtended(value.AsCurrency().scaled));
      break;
    case ValueItem::Date:
      writer.WriteFloat(value.AsDate());
      break;
    case ValueItem::Text:
      writer.WriteString(record.VariantToText(value));
      break;
  }
}

Variant ReadValue(TReader& reader, const TFieldsList& fields, int index, TFieldType type) {
  switch (ItemFor(type)) {
    case ValueItem::String:
      return Variant(reader.ReadString());
    case ValueItem::Integer:
      return Variant(static_cast<std::int32_t>(reader.ReadInteger()));
    case ValueItem::Boolean:
      return Variant(reader.ReadBoolean());
    case ValueItem::Float:
      return Variant(static_cast<double>(reader.ReadFloat()));
    case ValueItem::Currency: {
      const TValueType next = reader.NextValue();
      if (next != vaExtended) return Variant(Currency::FromInt(reader.ReadInteger()));
      const Extended80 bytes = reader.ReadExtended();
      if (const auto scaled = ExtendedToCurrency(bytes)) return Variant(Currency::FromScaled(*scaled));
      // Not a currency amount (a float out of its range): SetValues judges the number
      // as it judges any other value that does not fit.
      const auto number = DecodeExtended(bytes);
      if (!number) throw EReadError("Invalid floating-point value");
      return Variant(*number);
    }
    case ValueItem::Date:
      return Variant::FromDate(static_cast<TDateTime>(reader.ReadFloat()));
    case ValueItem::Text: {
      const std::string text = reader.ReadString();
      return Variant(fields.Items(index)->VariantToText(Variant(text)));
    }
  }
  return Variant::Null();
}

// A panel without a field list has no record to address.
[[noreturn]] void NoRecord(int index) {
  throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace

// ---- clearing and snapshots ----

void TPanelFieldsSet::ClearValues() {
  if (!fields_) return;
  UpdateGuard<TCollection> bracket(*fields_);
  for (TFieldRecord* record : fields_->Records()) {
    record->SetValues(0, Variant::Null());
    record->SetValues(1, Variant::Null());
  }
}

void TPanelFieldsSet::ClearBfr(TValueBufferSlot& slot) {
  if (slot) slot->clear();
}

void TPanelFieldsSet::SetBuffer(TValueBufferSlot& slot) {
  if (!slot) {
    slot = std::make_unique<TValueBuffer>();
  } else {
    ClearBfr(slot);
  }
  if (!fields_) return;
  for (const TFieldRecord* record : fields_->Records()) {
    if (!NotEmptyRecord(record)) continue;
    slot->push_back({record->GetFieldName(), {record->GetValues(0), record->GetValues(1)}});
  }
}

void TPanelFieldsSet::GetBuffer(const TValueBufferSlot& slot) {
  if (!slot || !fields_) return;
  UpdateGuard<TCollection> bracket(*fields_);
  for (TFieldRecord* record : fields_->Records()) {
    const TValueBufferEntry* entry = nullptr;
    for (const TValueBufferEntry& e : *slot) {
      if (AnsiSameText(e.FieldName, record->GetFieldName())) {
        entry = &e;
        break;
      }
    }
    record->SetValues(0, entry != nullptr ? entry->Values[0] : Variant::Null());
    record->SetValues(1, entry != nullptr ? entry->Values[1] : Variant::Null());
  }
}

// ---- stream properties ----

void TPanelFieldsSet::DefineProperties(TFiler& filer) {
  TCustomPanel::DefineProperties(filer);
  const bool has_data = fields_ && !fields_->DefaultFields();
  filer.DefineProperty(
      "Values", [this](TReader& reader) { ReadValues(reader); },
      [this](TWriter& writer) { WriteValues(writer); }, has_data);
  filer.DefineProperty(
      "CommentTexts", [this](TReader& reader) { ReadCommentTexts(reader); },
      [this](TWriter& writer) { WriteCommentTexts(writer); }, has_data);
}

void TPanelFieldsSet::WriteValues(TWriter& writer) {
  writer.WriteListBegin();
  const int count = fields_ ? fields_->Count() : 0;
  for (int i = 0; i < count; ++i) {
    const TFieldRecord* record = fields_->Items(i);
    const Variant v0 = record->GetValues(0);
    const Variant v1 = record->GetValues(1);
    if (v0.IsClear() && v1.IsClear()) continue;
    const TFieldType type = record->GetDataType();
    writer.WriteInteger(i);
    writer.WriteInteger(static_cast<std::int32_t>(type));
    writer.WriteListBegin();
    if (!v0.IsClear()) {
      writer.WriteInteger(0);
      WriteValue(writer, *record, type, v0);
    }
    if (!v1.IsClear()) {
      writer.WriteInteger(1);
      WriteValue(writer, *record, type, v1);
    }
    writer.WriteListEnd();
  }
  writer.WriteListEnd();
}

void TPanelFieldsSet::ReadValues(TReader& reader) {
  if (!fields_) NoRecord(0);
  // One update for everything read; the bracket closes also when reading fails.
  UpdateGuard<TCollection> bracket(*fields_);
  reader.ReadListBegin();
  while (!reader.EndOfList()) {
    const int index = static_cast<int>(reader.ReadInteger());
    const auto type = static_cast<TFieldType>(static_cast<std::uint8_t>(reader.ReadInteger()));
    reader.ReadListBegin();
    while (!reader.EndOfList()) {
      const int slot = static_cast<int>(reader.ReadInteger());
      Variant value = ReadValue(reader, *fields_, index, type);
      fields_->Items(index)->SetValues(slot, value);
    }
    reader.ReadListEnd();
  }
  reader.ReadListEnd();
}

void TPanelFieldsSet::WriteCommentTexts(TWriter& writer) {
  writer.WriteListBegin();
  const int count = fields_ ? fields_->Count() : 0;
  for (int i = 0; i < count; ++i) {
    const TFieldRecord* record = fields_->Items(i);
    const std::string t0 = record->GetCommentTexts(0);
    const std::string t1 = record->GetCommentTexts(1);
    if (t0.empty() && t1.empty()) continue;
    writer.WriteInteger(i);
    writer.WriteListBegin();
    if (!t0.empty()) {
      writer.WriteInteger(0);
      writer.WriteString(t0);
    }
    if (!t1.empty()) {
      writer.WriteInteger(1);
      writer.WriteString(t1);
    }
    writer.WriteListEnd();
  }
  writer.WriteListEnd();
}

void TPanelFieldsSet::ReadCommentTexts(TReader& reader) {
  reader.ReadListBegin();
  while (!reader.EndOfList()) {
    const int index = static_cast<int>(reader.ReadInteger());
    reader.ReadListBegin();
    while (!reader.EndOfList()) {
      const int slot = static_cast<int>(reader.ReadInteger());
      const std::string text = reader.ReadString();
      if (!fields_) NoRecord(index);
      fields_->Items(index)->SetCommentTexts(slot, text);
    }
    reader.ReadListEnd();
  }
  reader.ReadListEnd();
}

}  // namespace vantor
