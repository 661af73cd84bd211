#pragma once
// TDataSetIndex: the index along which a find panel searches: which fields form the key,
// in which order, and per key field whether the index orders it without regard to case
// and whether descending. By default (DefaultIndex) it follows the index the linked table
// currently uses; otherwise the application states FieldNames, Options and the per-field
// exceptions CaseInsFields and DescFields itself. Only a table with a current index gives
// key fields; for any other data set the index has none and the panel searches by
// comparison.
//
// Name lists are ";"-separated field names. Names are not trimmed ("A; B" names "A" and
// " B"), empty elements are skipped, and names compare without regard to case.
//
// Who calls what: the find panel calls Update when its link reports an activation or a
// layout change, and when it notices that the table switched its index; Update refreshes
// the cached default, rebuilds the entries and asks the panel to renumber its records'
// key positions (UpdateFieldsIndexNo).

#include <optional>
#include <string>
#include <vector>

#include <vantor/platform/core/persistent.h>
#include <vantor/platform/data/index_defs.h>

namespace vantor {

class TDBCustomFindPanel;
class TField;
class TTable;

// One key field of the index.
struct TIndexFieldDef {
  // The data set's field of that name, or null when the data set has none (such a key
  // field matches nothing).
  TField* Field = nullptr;
  bool CaseInsensitive = false;
  bool Descending = false;
};

class TDataSetIndex : public TPersistent {
 public:
  explicit TDataSetIndex(TDBCustomFindPanel* owner);
  ~TDataSetIndex() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
  TPersistent* GetOwner() const override;

  TDBCustomFindPanel* OwnerPanel() const { return owner_; }

  // ---- published properties ----
  bool GetDefaultIndex() const { return default_index_; }
  // Switching off copies the current default into the stored values first; switching
  // on rebuilds the entries from the table and lets the panel search again.
  void SetDefaultIndex(bool value);
  TIndexOptions GetOptions() const;
  void SetOptions(TIndexOptions value);
  std::string GetCaseInsFields() const;
  // Every name must be one of FieldNames (25112 otherwise, nothing changes); not checked
  // while the panel loads, so a stream may set it before FieldNames.
  void SetCaseInsFields(const std::string& value);
  std::string GetDescFields() const;
  void SetDescFields(const std::string& value);
  std::string GetFieldNames() const;
  // Not validated against the data set: an unknown name gives an entry without a field.
  void SetFieldNames(const std::string& value);

  bool IsOptionsStored() const { return !default_index_ && !stored_options_.Empty(); }
  bool IsCaseInsFieldsStored() const { return !default_index_ && !stored_case_ins_fields_.empty(); }
  bool IsDescFieldsStored() const { return !default_index_ && !stored_desc_fields_.empty(); }
  bool IsFieldNamesStored() const { return !default_index_ && !stored_field_names_.empty(); }

  // ---- the default index (the table's current one) ----
  // While the link is active the values cached at the last Update; otherwise computed now.
  std::string GetDefaultIndexFieldNames() const;
  std::optional<TIndexDef> GetDefaultIndexDef() const;
  TIndexOptions GetDefaultOptions() const;
  // The current index definition's own per-field lists (empty without a definition).
  std::string GetDefaultCaseInsFields() const;
  std::string GetDefaultDescFields() const;
  // Computed from the table now: the key field names of its IndexName's definition, or
  // its IndexFieldNames; empty for a data set that is no (living) table.
  virtual std::string GetIndexFieldNames() const;
  // The definition of IndexName, or the one that supplies the order of IndexFieldNames;
  // nullopt when there is none.
  virtual std::optional<TIndexDef> GetIndexDef() const;

  // ---- entries ----
  int GetCount() const { return static_cast<int>(entries_.size()); }
  // EListError outside 0..Count-1.
  const TIndexFieldDef* GetItem(int index) const;
  // The first entry whose field is named `field_name` (case ignored); null.
  const TIndexFieldDef* FindIndexFieldDef(const std::string& field_name) const;

  // ---- maintenance ----
  // Refreshes the cached default (only while DefaultIndex and the link is active).
  void SetDefaultIndexOptions();
  // Rebuilds the entries from the current names, lists and options.
  void SetIndexFields();
  // SetDefaultIndexOptions, SetIndexFields, then the panel's UpdateFieldsIndexNo.
  void Update();

  // ---- name lists ----
  // Whether `name` is an element of `list` (case ignored); `default_value` when the
  // list is empty or blank.
  static bool FindFieldName(const std::string& name, const std::string& list, bool default_value);
  // Takes the first element off `names` into `name` (empty for a leading separator).
  static void GetFirstFieldName(std::string& names, std::string& name);
  // Whether every non-empty name of `names` is an element of `field_names`.
  static bool CheckFieldNames(const std::string& names, const std::string& field_names);

 private:
  TTable* LinkedTable() const;
  bool LinkActive() const;
  bool OwnerLoading() const;
  // The panel's Changed, unless it searches only on request (foNormal).
  void OwnerChanged();
  // The panel's relayout when it is in an index mode.
  void OwnerWndChanged();
  // Shared body of SetCaseInsFields / SetDescFields.
  void SetFieldList(std::string& stored, const std::string& value, const std::string& current,
                    const char* property_name);

  std::vector<TIndexFieldDef> entries_;
  TDBCustomFindPanel* owner_;
  std::optional<TIndexDef> cached_index_def_;
  std::string cached_index_field_names_;
  TIndexOptions stored_options_;
  std::string stored_case_ins_fields_;
  std::string stored_desc_fields_;
  bool default_index_ = true;
  std::string stored_field_names_;
};

}  // namespace vantor
