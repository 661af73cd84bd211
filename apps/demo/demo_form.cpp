#include "demo/demo_form.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <set>

#include <vantor/criteria/field_record.h>
#include <vantor/dialogs/filter_dialog.h>
#include <vantor/dialogs/find_dialog.h>
#include <vantor/dialogs/form_resource.h>
#include <vantor/dialogs/register_dialogs.h>
#include <vantor/engines/filter_panel.h>
#include <vantor/engines/find_panel.h>
#include <vantor/engines/register_engines.h>
#include <vantor/platform/data/data_classes.h>
#include <vantor/platform/data/data_link.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/dbctrls/db_grid.h>
#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/button.h>
#include <vantor/platform/ui/combo_box.h>
#include <vantor/platform/ui/custom_panel.h>
#include <vantor/platform/ui/mask_edit.h>
#include <vantor/platform/ui/ui_classes.h>

namespace demo {

using namespace vantor;

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

// Every class the form's text names.
void RegisterFormContents() {
  RegisterFormClasses();
  RegisterUiClasses();
  RegisterDataClasses();
  RegisterDBControlClasses();
  RegisterEngineClasses();
  RegisterDialogClasses();
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
    : TForm(nullptr, TCreateNew{}), watch_(std::make_unique<Watch>(*this)) {
  RegisterFormContents();
  RegisterMethod("cbUpdateStateChange", TNotifyEvent::Handler([this](TObject*) {
                   if (update_state_->ItemIndex() >= 0) {
                     filter_->SetUpdateState(static_cast<TUpdateState>(update_state_->ItemIndex()));
                   }
                 }));
  RegisterMethod("btFindClick", TNotifyEvent::Handler([this](TObject*) { RunFindDialog(); }));
  RegisterMethod("btFilterClick", TNotifyEvent::Handler([this](TObject*) { RunFilterDialog(); }));
  ReadDescription(DemoFormText());
  table_ = DescribedControl<TSQLiteTable>(*this, "Table1");
  source_ = DescribedControl<TDataSource>(*this, "DataSource1");
  filter_ = DescribedControl<TDBFilterPanel>(*this, "paFilter");
  find_ = DescribedControl<TDBFindPanel>(*this, "paFind");
  grid_ = DescribedControl<TDBGrid>(*this, "grData");
  status_ = DescribedControl<TPanel>(*this, "paStatus");
  update_state_ = DescribedControl<TComboBox>(*this, "cbUpdateState");
  find_dialog_ = DescribedControl<TDBFindDialog>(*this, "FindDialog1");
  filter_dialog_ = DescribedControl<TDBFilterDialog>(*this, "FilterDialog1");
  find_button_ = DescribedControl<TButton>(*this, "btFind");
  filter_button_ = DescribedControl<TButton>(*this, "btFilter");

  // The update states in the order of their ordinals, so that an item's index is its state.
  for (std::string_view name : EnumNames<TUpdateState>::value) update_state_->Items()->Add(std::string(name));
  update_state_->SetItemIndex(static_cast<int>(filter_->GetUpdateState()));

  SetCaption(Caption() + " - " + table);
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
  OfferFields(customers);

  watch_->SetDataSource(source_);
  if (TCustomMaskEdit* edit = FirstFilterEdit()) SetActiveControl(edit);
  DataChanged();
}

TDemoForm::~TDemoForm() {
  // The watch stops first (the status line goes with the controls), then the controls go
  // before the data source and the table they are linked to (made first, freed last).
  watch_->SetDataSource(nullptr);
  status_ = nullptr;
  DestroyComponents();
}

void TDemoForm::OfferFields(bool customers) {
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
  PaintGuard bracket(*find_);
  const std::string key = customers ? "name" : (table_->FieldCount() > 0 ? table_->Fields(0)->FieldName() : "");
  for (int i = 0; i < find_->Fields()->Count(); ++i) {
    TFieldRecord* record = find_->Fields()->Items(i);
    if (record->GetFieldName() != key) record->SetCount(coNone);
  }
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

}  // namespace demo
