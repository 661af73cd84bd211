#pragma once
// The demo's main form: a table of an SQLite database in a data grid, a filter panel above
// it (type to filter; the update state can be chosen), a find panel for a search along an
// index, buttons that run the find and the filter dialog, and a status line with the record
// count and the time the last filter or search took. The filter panel and the filter dialog
// filter the same table: the one used last decides (a dialog confirmed without "Filtered"
// hands the table back to the panel). It runs in a real window or headless (for a screenshot and for tests) alike.

#include <chrono>
#include <fstream>
#include <memory>
#include <string>

#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/ui/form.h>

namespace vantor {

class TButton;
class TComboBox;
class TCustomMaskEdit;
class TDBFilterDialog;
class TDBFilterPanel;
class TDBFindDialog;
class TDBFindPanel;
class TDBGrid;
class TPanel;

class TDemoForm : public TForm {
 public:
  // Opens `table` of the database file `path`; EDatabaseError when it cannot.
  TDemoForm(const std::string& path, const std::string& table);
  ~TDemoForm() override;

  TSQLiteTable& Table() { return *table_; }
  TDBFilterPanel* FilterPanel() const { return filter_; }
  TDBFindPanel* FindPanel() const { return find_; }
  TDBGrid* Grid() const { return grid_; }
  TDBFindDialog* FindDialog() const { return find_dialog_; }
  TDBFilterDialog* FilterDialog() const { return filter_dialog_; }
  // The buttons that run the dialogs ("Find...", "Filter...").
  TButton* FindButton() const { return find_button_; }
  TButton* FilterButton() const { return filter_button_; }
  // The first edit of the filter panel (where typing starts), or null.
  TCustomMaskEdit* FirstFilterEdit() const;
  std::string StatusText() const;
  // After every change of the data set, writes "count=N", "text=<the first filter edit's
  // text>" and "size=<client width>x<height>" lines to the file (replacing it), so another
  // process can follow.
  void SetReportFile(const std::string& path);

 protected:
  void KeyDown(std::uint16_t& key, TShiftState shift) override;
  void KeyUp(std::uint16_t& key, TShiftState shift) override;

 private:
  class Watch;
  void DataChanged();
  void RunFindDialog();
  void RunFilterDialog();
  void WriteReport() const;

  std::unique_ptr<TSQLiteTable> table_;
  std::unique_ptr<TDataSource> source_;
  std::unique_ptr<Watch> watch_;
  TDBFilterPanel* filter_ = nullptr;
  TDBFindPanel* find_ = nullptr;
  TDBGrid* grid_ = nullptr;
  TPanel* status_ = nullptr;
  TComboBox* update_state_ = nullptr;
  TDBFindDialog* find_dialog_ = nullptr;
  TDBFilterDialog* filter_dialog_ = nullptr;
  TButton* find_button_ = nullptr;
  TButton* filter_button_ = nullptr;
  double last_ms_ = 0;
  std::string report_path_;
};

}  // namespace vantor
