#pragma once
// The dialogs' tests run against the customers table of the sample database, written once
// per test program into the temp directory and opened as a SQLite table. The fixture
// resets the application, the screen and the scripted user, so that every test starts
// with no boxes recorded and no input queued.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <vantor/dialogs/fields_set.h>
#include <vantor/dialogs/fields_set_form.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/rtl/variant.h>
#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/screen.h>
#include <vantor/platform/ui/scripted_user.h>

namespace vantor::dialogs_test {

// The path of the sample database of this test program (made on first use).
const std::string& SampleDatabase();

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The customers table, opened (ordered by its primary key).
  TSQLiteTable& Table() { return *table_; }
  TDataSource& Source() { return *source_; }

  // The id of the current record.
  int CurrentId() const;
  // Moves to the record with that id.
  void GoTo(int id);
  // The ids of the records, from the current order, whose `field` text equals `value`.
  std::vector<int> IdsWhere(const std::string& field, const std::string& value);
  // The value of `field` in the record with that id.
  std::string TextOf(int id, const std::string& field);
  // The ids of the visible records in the current order and filter.
  std::vector<int> VisibleIds();
  // The texts of the boxes shown since SetUp.
  std::vector<std::string> Messages() const;

  // A step that clicks the named button of the showing dialog form.
  static void ClickButton(const std::string& name) { ScriptedUser().Click(name); }

  // Keeps a component alive until TearDown, before the table and source go.
  template <typename T>
  T* Keep(T* component) {
    kept_.emplace_back(component);
    return component;
  }
  // A dialog named `name` on the customers table, kept until TearDown.
  template <typename Dialog>
  Dialog* NewDialog(const std::string& name) {
    Dialog* dialog = Keep(new Dialog(nullptr));
    dialog->SetName(name);
    dialog->SetDataSource(&Source());
    return dialog;
  }

 private:
  std::unique_ptr<TSQLiteTable> table_;
  std::unique_ptr<TDataSource> source_;
  std::vector<std::unique_ptr<TComponent>> kept_;
};

// The nesting of the dialog's field list and of its panel's update bracket.
inline int ListNesting(const TFieldsSet& dialog) { return dialog.Fields()->UpdateCount(); }
inline int PanelNesting(const TFieldsSet& dialog) { return dialog.PanelFieldsSet()->UpdateCount(); }

}  // namespace vantor::dialogs_test
