#pragma once
// TFilterRecord: the item class of a filter panel's field list. It matches exactly as
// a plain field record does; the class exists so that a stored list names its panel's
// record class and a filter panel's records can be told apart from a find panel's.

#include <vantor/criteria/field_record.h>

namespace vantor {

class TFilterRecord : public TFieldRecord {
 public:
  explicit TFilterRecord(TCollection* collection) : TFieldRecord(collection) {}

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
};

}  // namespace vantor
