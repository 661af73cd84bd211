#include "demo/demo_form.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include <vantor/criteria/field_record.h>
#include <vantor/dialogs/filter_dialog.h>
#include <vantor/dialogs/find_dialog.h>
#include <vantor/engines/filter_panel.h>
#include <vantor/engines/find_panel.h>
#include <vantor/platform/data/data_link.h>
#include <vantor/platform/dbctrls/db_grid.h>
#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/button.h>
#include <vantor/platform/ui/combo_box.h>
#include <vantor/platform/ui/custom_panel.h>
#include <vantor/platform/ui/label.h>
#include <vantor/platform/ui/mask_edit.h>

namespace vantor {

namespace {

// The fields the filter panel offers: for the sample's customers a hand-picked few,
// for any other table the first four that are not blobs.
bool Offered(const TField& field, bool customers, int& taken) {
  static const std::set<std::string> kCustomerFields{"name", "city", "country", "credit_limit"};
  if (customers) return kCustomerFields.count(field.FieldName()) != 0;
  if (field.DataType() == TFieldType::ftBlob || field.DataType() == TFieldType::ftMemo || taken >= 4) return false;
  ++taken;
  return true;
}

}  // namespace

// Follows the data set for the status line and the report file.
class TDemoForm::Watch : public TDataLink {
 public:
  explicit Watch(TDemoForm& form) : form_(form) {}
  ~Watch() override { SetDataSource(nullptr); }
  Watch(const Watch&) = delete;
  Watch& operator=(const Watch&) = delete;

 protected:
  void DataSetChanged() override { form_.DataChanged(); }
  void DataSetScrolled(int /*distance*/) override { form_.DataChanged(); }

 private:
  TDemoForm& form_;
};

TDemoForm::TDemoForm(const std::string& path, const std::string& table)
    : TForm(nullptr, TCreateNew{}),
      table_(std::make_unique<TSQLiteTable>(nullptr)),
      source_(std::make_unique<TDataSource>(nullptr)),
      watch_(std::make_unique<Watch>(*this)) {
  SetName("fmDemo");
  SetCaption("Vantor demo - " + table);
  SetBounds(0, 0, 760, 540);
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  table_->SetDatabaseName(path);
  table_->SetTableName(table);
  table_->Open();
  const bool customers = table_->FindField("name") != nullptr && table_->FindField("city") != nullptr;
  // The name index gives the find panel a keyed search; any other table searches along
  // its first index, or walks.
  for (int i = 0; i < table_->IndexDefs().Count(); ++i) {
    const std::string& name = table_->IndexDefs().Items(i).Name();
    if (i == 0 || name == "customers_name") table_->SetIndexName(name);
  }
  source_->SetDataSet(table_.get());

  auto* top = new TPanel(this);
  top->SetParent(this);
  top->SetAlign(alTop);
  top->SetHeight(30);
  top->SetBevelOuter(bvNone);
  auto* label = new TLabel(this);
  label->SetParent(top);
  label->SetBounds(8, 8, 80, 13);
  label->SetCaption("Update state:");
  update_state_ = new TComboBox(this);
  update_state_->SetParent(top);
  update_state_->SetBounds(92, 4, 150, 21);
  update_state_->SetStyle(csDropDownList);
  for (std::string_view name : EnumNames<TUpdateState>::value) update_state_->Items()->Add(std::string(name));
  update_state_->SetItemIndex(static_cast<int>(usAuto));
  update_state_->OnChange = [this](TObject*) {
    if (update_state_->ItemIndex() >= 0) filter_->SetUpdateState(static_cast<TUpdateState>(update_state_->ItemIndex()));
  };
  find_button_ = new TButton(this);
  find_button_->SetName("btFind");
  find_button_->SetParent(top);
  find_button_->SetBounds(262, 3, 80, 24);
  find_button_->SetCaption("Find...");
  find_button_->OnClick = [this](TObject*) { RunFindDialog(); };
  filter_button_ = new TButton(this);
  filter_button_->SetName("btFilter");
  filter_button_->SetParent(top);
  filter_button_->SetBounds(348, 3, 80, 24);
  filter_button_->SetCaption("Filter...");
  filter_button_->OnClick = [this](TObject*) { RunFilterDialog(); };

  find_dialog_ = new TDBFindDialog(this);
  find_dialog_->SetName("FindDialog1");
  find_dialog_->SetDataSource(source_.get());
  filter_dialog_ = new TDBFilterDialog(this);
  filter_dialog_->SetName("FilterDialog1");
  filter_dialog_->SetDataSource(source_.get());

  filter_ = new TDBFilterPanel(this);
  filter_->SetName("paFilter");
  filter_->SetParent(this);
  filter_->SetAlign(alTop);
  filter_->SetDataSource(source_.get());
  filter_->SetFiltered(true);
  {
    PaintGuard bracket(*filter_);
    int taken = 0;
    for (int i = 0; i < filter_->Fields()->Count(); ++i) {
      TFieldRecord* record = filter_->Fields()->Items(i);
      const TField* field = table_->FindField(record->GetFieldName());
      if (field == nullptr || !Offered(*field, customers, taken)) record->SetCount(coNone);
    }
    // FieldByName raises for a field the table lacks: asked only of the customers.
    if (customers && table_->FindField("credit_limit") != nullptr) filter_->FieldByName("credit_limit")->SetCount(coTwo);
  }


  find_ = new TDBFindPanel(this);
  find_->SetName("paFind");
  find_->SetParent(this);
  find_->SetAlign(alTop);
  find_->SetDataSource(source_.get());
  {
    PaintGuard bracket(*find_);
    const std::string key = customers ? "name" : (table_->FieldCount() > 0 ? table_->Fields(0)->FieldName() : "");
    for (int i = 0; i < find_->Fields()->Count(); ++i) {
      TFieldRecord* record = find_->Fields()->Items(i);
      if (record->GetFieldName() != key) record->SetCount(coNone);
    }
  }

  status_ = new TPanel(this);
  status_->SetParent(this);
  status_->SetAlign(alBottom);
  status_->SetHeight(22);
  status_->SetBevelOuter(bvLowered);
  status_->SetAlignment(taLeftJustify);

  grid_ = new TDBGrid(this);
  grid_->SetName("grData");
  grid_->SetParent(this);
  grid_->SetAlign(alClient);
  grid_->SetDataSource(source_.get());

  watch_->SetDataSource(source_.get());
  if (TCustomMaskEdit* edit = FirstFilterEdit()) SetActiveControl(edit);
  DataChanged();
}

TDemoForm::~TDemoForm() {
  // The watch stops first (the status line goes with the controls), then the controls go
  // before the data source and the table they are linked to.
  watch_->SetDataSource(nullptr);
  status_ = nullptr;
  DestroyComponents();
}

TCustomMaskEdit* TDemoForm::FirstFilterEdit() const {
  for (int i = 0; i < filter_->Fields()->Count(); ++i) {
    TFieldRecord* record = filter_->Fields()->Items(i);
    if (TCustomMaskEdit* edit = record->Edits(0)) return edit;
  }
  return nullptr;
}

std::string TDemoForm::StatusText() const { return status_->Caption(); }

void TDemoForm::KeyDown(std::uint16_t& key, TShiftState shift) {
  // Every key may start a filter or a search. The time runs from the key to the end of
  // its handling: a posted call runs once the key's messages have all been handled.
  const auto started = std::chrono::steady_clock::now();
  Application->PostCallFor(this, [this, started] {
    last_ms_ = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    DataChanged();
  });
  TForm::KeyDown(key, shift);
}

void TDemoForm::RunFindDialog() {
  find_dialog_->Execute();
  DataChanged();
}

void TDemoForm::RunFilterDialog() {
  filter_dialog_->Execute();
  // Unfiltered by the dialog, the table goes back to the panel's filter.
  if (!filter_dialog_->GetFiltered()) filter_->SetFiltered(true);
  DataChanged();
}

void TDemoForm::DataChanged() {
  if (status_ == nullptr) return;
  char time[32];
  std::snprintf(time, sizeof time, "%.1f ms", last_ms_);
  const int count = table_->Active() ? table_->RecordCount() : 0;
  status_->SetCaption("  " + std::to_string(count) + " records    last filter or search: " + time);
  WriteReport();
}

void TDemoForm::KeyUp(std::uint16_t& key, TShiftState shift) {
  TForm::KeyUp(key, shift);
  WriteReport();  // the text may have changed without a change of the data set
}

void TDemoForm::SetReportFile(const std::string& path) {
  report_path_ = path;
  WriteReport();
}

void TDemoForm::WriteReport() const {
  if (report_path_.empty()) return;
  // Written beside and renamed, so a reader never sees half a report.
  const std::string temporary = report_path_ + ".part";
  {
    std::ofstream out(temporary, std::ios::trunc);
    const TCustomMaskEdit* edit = FirstFilterEdit();
    out << "count=" << (table_->Active() ? table_->RecordCount() : 0) << "\ntext=" << (edit != nullptr ? edit->Text() : "")
        << "\nsize=" << ClientWidth() << "x" << ClientHeight() << "\n";
  }
  std::rename(temporary.c_str(), report_path_.c_str());
}

}  // namespace vantor
