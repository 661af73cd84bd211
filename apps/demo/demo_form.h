#pragma once
// The demo's main form: a table of an SQLite database in a data grid, a filter panel above
// it (type to filter; the update state can be chosen), a find panel for a search along an
// index, buttons that run the find and the filter dialog, and a status line with the record
// count and the time the last filter or search took. The filter panel and the filter dialog
// filter the same table: the one used last decides (a dialog confirmed without "Filtered"
// hands the table back to the panel). It runs in a real window or headless (for a screenshot
// and for tests) alike.
//
// The controls, their links and their handlers' names are the text form demo_form.vfm,
// built into the program; the code chooses the fields each panel offers once the table is
// known, and follows the table for the status line. In the form the dialogs come before the
// filter panel: of the two, the one bound to the table last filters it at first.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/ui/form.h>

namespace vantor {
class TButton;
class TComboBox;
class TCustomMaskEdit;
class TDataSource;
class TDBFilterDialog;
class TDBFilterPanel;
class TDBFindDialog;
class TDBFindPanel;
class TDBGrid;
class TPanel;
}  // namespace vantor

namespace demo {

// The text of demo_form.vfm.
std::string_view DemoFormText();

class TDemoForm : public vantor::TForm {
 public:
  // Opens `table` of the database file `path`; EDatabaseError when it cannot.
  TDemoForm(const std::string& path, const std::string& table);
  ~TDemoForm() override;

  vantor::TSQLiteTable& Table() { return *table_; }
  vantor::TDBFilterPanel* FilterPanel() const { return filter_; }
  vantor::TDBFindPanel* FindPanel() const { return find_; }
  vantor::TDBGrid* Grid() const { return grid_; }
  vantor::TDBFindDialog* FindDialog() const { return find_dialog_; }
  vantor::TDBFilterDialog* FilterDialog() const { return filter_dialog_; }
  // The buttons that run the dialogs ("Find...", "Filter...").
  vantor::TButton* FindButton() const { return find_button_; }
  vantor::TButton* FilterButton() const { return filter_button_; }
  // The first edit of the filter panel (where typing starts), or null.
  vantor::TCustomMaskEdit* FirstFilterEdit() const;
  std::string StatusText() const;
  // After every change of the data set, writes "count=N", "text=<the first filter edit's
  // text>" and "size=<client width>x<height>" lines to the file (replacing it), so another
  // process can follow.
  void SetReportFile(const std::string& path);

 protected:
  void KeyDown(std::uint16_t& key, vantor::TShiftState shift) override;
  void KeyUp(std::uint16_t& key, vantor::TShiftState shift) override;

 private:
  class Watch;
  void OfferFields(bool customers);
  void DataChanged();
  void RunFindDialog();
  void RunFilterDialog();
  void WriteReport() const;

  std::unique_ptr<Watch> watch_;
  vantor::TSQLiteTable* table_ = nullptr;
  vantor::TDataSource* source_ = nullptr;
  vantor::TDBFilterPanel* filter_ = nullptr;
  vantor::TDBFindPanel* find_ = nullptr;
  vantor::TDBGrid* grid_ = nullptr;
  vantor::TPanel* status_ = nullptr;
  vantor::TComboBox* update_state_ = nullptr;
  vantor::TDBFindDialog* find_dialog_ = nullptr;
  vantor::TDBFilterDialog* filter_dialog_ = nullptr;
  vantor::TButton* find_button_ = nullptr;
  vantor::TButton* filter_button_ = nullptr;
  double last_ms_ = 0;
  std::string report_path_;
};

}  // namespace demo
