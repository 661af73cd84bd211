#pragma once
// TFieldsOwner: what the criteria model needs from whoever owns a field list, declared
// here so that the model talks upward only through it. The criteria panel implements it;
// a field list, its records, the option sets, the captions and the style options reach
// their owner through this interface and nothing else.
//
// Who calls what: records ask for the option sets' defaults, the update state, the key
// position of their field and the linked data set; the list asks whether a record may
// exist and whether it carries a criterion, and reports Changed/WndChanged; every
// "is the owner loading or being designed" question goes through GetComponentState.

#include <vantor/criteria/criteria_types.h>
#include <vantor/platform/core/component.h>

namespace vantor {

class TCompareOptions;
class TCountOptions;
class TDataSet;
class TFieldRecord;
class TFieldsList;
class TWinControl;

class TFieldsOwner {
 public:
  TFieldsOwner() = default;
  TFieldsOwner(const TFieldsOwner&) = delete;
  TFieldsOwner& operator=(const TFieldsOwner&) = delete;

  // The object the list, records and option sets name as their owner in the form
  // stream (GetOwner).
  virtual TPersistent* FieldsOwnerPersistent() = 0;
  // The control whose font, colour and 3-D look the style options mirror; it also
  // places the rows' controls.
  virtual TWinControl* FieldsOwnerControl() = 0;

  // The state every loading/designing question reads.
  virtual TComponentState GetComponentState() const = 0;
  // When entered values apply (usAuto: at once).
  virtual TUpdateState GetUpdateState() const = 0;

  virtual TFieldsList* Fields() const = 0;
  virtual TCountOptions* CountOptions() const = 0;
  virtual TCompareOptions* CompareOptions() const = 0;

  // The data set the owner is linked to, or null; `active` tells whether it is open.
  virtual TDataSet* OwnerDataSet(bool& active) const = 0;

  // Position of the record's field among the key fields of the search index; -1.
  virtual int GetIndexFieldNo(const TFieldRecord* record) const = 0;
  // Whether a data-set field may get a record / take part in matching.
  virtual bool ValidateFieldRecord(const TFieldRecord* record) const = 0;
  // Whether the record's applied values make a criterion.
  virtual bool MainNotEmptyRecord(const TFieldRecord* record) const = 0;

  // The criteria changed: apply them unless an update bracket is open.
  virtual void Changed() = 0;
  // The rows need a relayout unless a paint bracket is open.
  virtual void WndChanged() = 0;
  // The record's Alignment changed: its edits (the layout's controls, whose class the
  // model does not know) show it at once.
  virtual void AlignEdits(const TFieldRecord& record) = 0;

 protected:
  ~TFieldsOwner() = default;
};

}  // namespace vantor
