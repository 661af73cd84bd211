#pragma once
// TDBCustomFindPanel: the criteria panel that finds a record by example. Locate moves
// the linked data set to the first (Restart) or the next matching record and leaves it
// where it was when there is none. When the data set is a table with a current index
// and the entered values cover a leading part of its key, the panel seeks with the key
// (SetKey, GotoKey/GotoNearest) and then walks forward only while the key part still
// matches; otherwise it walks the data set and tests every field.
// TDBFindPanel is the same class with its properties published.
//
// FindOptions:
//   foIndexExact    seek the exact key, walk while the key part matches; only key
//                   fields take part (the others count as coNone);
//   foIndexNearest  seek the nearest key; the record reached counts as found;
//   foFast          seek the nearest key when the values cover a key prefix, else
//                   start at the beginning; test every field while walking;
//   foNormal        walk from the start (or the next record), test every field.
//
// Call order of a search: Locate -> IndexFieldCheck (how much of the key is usable)
// -> SetPosition (first candidate, through SetKeyValues -> FindKey -> TableFindKey)
// -> the walk, which asks CheckRecord for the key part and the rest, and
// CaseSensitiveCompare / IndexComparision (find_comparisons.cpp) where it lies in the
// index order. Every seek inside the walk must move strictly forward (by RecNo), so the
// walk cannot loop. Controls, bookmark and cursor are restored on every path.

#include <memory>
#include <string>
#include <vector>

#include <vantor/engines/data_set_index.h>
#include <vantor/panel/panel_fields_set.h>
#include <vantor/platform/rtl/variant.h>

namespace vantor {

class TTable;

class TDBCustomFindPanel : public TPanelFieldsSet {
 public:
  // Makes the field list of TFindRecord items, then the index description; foFast,
  // Restart on, no message box.
  explicit TDBCustomFindPanel(TComponent* owner);
  ~TDBCustomFindPanel() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // ---- the search ----
  // Moves to the first (Restart) or next matching record; false, with the data set
  // back on its start record and optionally a message box, when there is none. False
  // at once when the link is inactive. Exceptions of the data set pass through after
  // the data set is refreshed and everything is restored.
  bool Locate();

  TFindOptions GetFindOptions() const { return find_options_; }
  // Switching between an index mode and another relays the panel out; any change
  // searches again through Changed.
  void SetFindOptions(TFindOptions value);
  // True: the next Locate finds the first match; false: the next after the current
  // record. The panel never changes it itself.
  bool GetRestart() const { return restart_; }
  void SetRestart(bool value) { restart_ = value; }
  // Show "The record is not found" (Restart) or "The following record is not found"
  // when Locate finds nothing.
  bool GetShowBox() const { return show_box_; }
  void SetShowBox(bool value) { show_box_ = value; }
  TDataSetIndex* DataSetIndex() const { return data_set_index_.get(); }

  // ---- keyed seeks ----
  // Seeks with a key array; false unless the link is active and the data set a table.
  bool FindKey(const std::vector<Variant>& key_values, bool exact);
  // Fills the table's key buffer from `key_values` along the index entries and seeks:
  // GotoKey's result when `exact`, else GotoNearest and true. A partial text key of a
  // descending entry searched by prefix is padded with 0xFF bytes to the field size, an
  // absent descending text key is all 0xFF, an absent ascending key Null.
  bool TableFindKey(const std::vector<Variant>& key_values, bool exact);
  // Builds the key of field-map positions 0..key_high from the entered values (the
  // upper bound for a descending range) and seeks. At `case_no` the text is put in the
  // case that sorts first (up) or last (!up) in its band of case variants along the
  // entry's direction, so the seek lands at the start or past the end of the band.
  void SetKeyValues(int key_high, int case_no, bool up);
  // Places the data set on the first candidate (see Locate); false when there is none.
  bool SetPosition(int index_field_no, int key_no);
  // `s` becomes `count` copies of the byte `ch` (empty for count <= 0).
  static void AddChar(char ch, int count, std::string& s);

  // ---- comparisons (find_comparisons.cpp) ----
  // How far the entered values serve as a seek key: the last usable field-map position
  // and the one further key field that must match with case on a case-free index
  // (index_field_no + 1), each -1 for none.
  void IndexFieldCheck(int& index_field_no, int& key_no) const;
  // Where the current record lies relative to the key values of positions
  // 0..index_field_no (and key_no), in index order.
  TComparisonOptions IndexComparision(int index_field_no, int key_no) const;
  // The same for the case-sensitive key field at `key_no` (coExact for -1).
  TComparisonOptions CaseSensitiveCompare(int key_no) const;
  // Where a record value v2 lies relative to an entered value v1: coMore when v1 < v2,
  // coLess when v1 > v2, else coExact.
  static TComparisonOptions CompareVariant(const Variant& v1, const Variant& v2);
  // coMore and coLess swapped when `invert` (a descending key).
  static TComparisonOptions InverseComparison(TComparisonOptions comparison, bool invert);

  // ---- the table's current index ----
  // The table's IndexFieldNames / IndexName; empty for a data set that is no table.
  std::string GetDefaultIndexFieldNames() const;
  std::string GetDefaultIndexName() const;
  // Every record's IndexNo becomes its key position (called by the index description).
  void UpdateFieldsIndexNo();
  // True in foIndexExact and foIndexNearest.
  bool IndexMode() const { return find_options_ == foIndexExact || find_options_ == foIndexNearest; }
  // The linked data set as a table, or null.
  TTable* Table() const;

  // ---- overridden operations ----
  // Searches when UpdateState is usAuto (incremental search).
  void UpdateDataSet() override;
  // Notices that the application switched the table's index.
  void DataSetChanged() override;
  void LayoutChanged() override;
  void ActiveChanged() override;
  // The key position of the record's field, by field number; -1.
  int GetIndexFieldNo(const TFieldRecord* record) const override;
  // Applies pending values and searches.
  void ValuesChanged() override;
  // In the index modes only key fields count.
  TCountType CountState(const TFieldRecord* record) const override;

  bool IsDataSetIndexStored() const { return true; }

 private:
  // The record at field-map position `pos`.
  TFieldRecord* MapRecord(int pos) const;
  // The index entry of the record's key position, or null.
  const TIndexFieldDef* EntryOf(const TFieldRecord* record) const;
  // Stores the table's index names; true when they differ from what was seen.
  bool RefreshSeenIndex();
  // The single-record comparison of IndexComparision.
  TComparisonOptions CompareRecord(const TFieldRecord* record) const;
  TComparisonOptions CompareRange(const TFieldRecord* record) const;
  // One entered value, or a range whose two bounds are equal.
  bool SingleValue(const TFieldRecord* record) const;
  // Applies values typed while the panel waited (fsValueChanged, fsUpdateNeeded) by
  // rebuilding the field map, without the search that the rebuild would start.
  void ApplyPendingValues();
  // Seeks further ahead with SetKeyValues; false unless RecNo grew.
  bool SeekForward(int key_high, int key_no, bool up);
  // The walk of Locate from the positioned record; true when a record matched.
  bool Walk(int index_field_no, int key_no);

  TFindOptions find_options_ = foFast;
  bool restart_ = true;
  std::unique_ptr<TDataSetIndex> data_set_index_;
  std::string seen_index_field_names_;
  std::string seen_index_name_;
  bool show_box_ = false;
  bool applying_values_ = false;  // UpdateDataSet stays quiet meanwhile
};

// The find panel with its properties published for the form designer.
class TDBFindPanel : public TDBCustomFindPanel {
 public:
  explicit TDBFindPanel(TComponent* owner) : TDBCustomFindPanel(owner) {}

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
};

}  // namespace vantor
