#pragma once
// A criteria panel on a shown form, bound to a table of a small sample database, with an
// edit beside it to take the focus away. Tests drive it as a user would: keys typed and
// pressed through the scripted user, clicks as the mouse sends them, the focus moved
// with Tab or by focusing another control; nothing calls the panel's handlers itself.
//
// What the handlers let out reaches the application as it would in a message loop; the
// form records those errors, and a test that does not take them fails.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <vantor/criteria/field_record.h>
#include <vantor/panel/field_record_edit.h>
#include <vantor/panel/panel_fields_set.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/sample_database.h>
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/custom_edit.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/keyboard_input.h>
#include <vantor/platform/ui/scripted_user.h>

namespace vantor::testing {

// The sample database of these tests (800 customers, 4000 orders), written once per test
// program into the temp directory and removed when the program ends.
inline const std::string& SampleDatabase() {
  struct TempFile {
    std::string path;
    ~TempFile() { std::filesystem::remove(path); }
  };
  static const TempFile file{[] {
    const auto path = std::filesystem::temp_directory_path() /
                      ("vantor_typing_" + std::to_string(::getpid()) + ".db");
    CreateSampleDatabase(path.string(), 800, 4000);
    return path.string();
  }()};
  return file.path;
}

// The first column of the first row a query gives on the sample file, read with SQLite
// itself (not through the library), with `arg` bound to ?1 when the query has a
// parameter; "" when there is no row.
inline std::string SqlValue(const std::string& sql, const std::string& arg = "") {
  sqlite3* db = nullptr;
  sqlite3_open_v2(SampleDatabase().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* stmt = nullptr;
  std::string result;
  const bool prepared = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK;
  EXPECT_TRUE(prepared) << sqlite3_errmsg(db) << " in " << sql;
  if (prepared) {
    if (sqlite3_bind_parameter_count(stmt) > 0) {
      sqlite3_bind_text(stmt, 1, arg.c_str(), static_cast<int>(arg.size()), SQLITE_TRANSIENT);
    }
    if (sqlite3_step(stmt) == SQLITE_ROW) {
      if (const unsigned char* text = sqlite3_column_text(stmt, 0)) result = reinterpret_cast<const char*>(text);
    }
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return result;
}

inline int SqlCount(const std::string& sql, const std::string& arg = "") {
  return std::stoi(SqlValue(sql, arg));
}

template <typename Panel>
struct TypingForm {
  // The panel lists `fields` of `table_name` (in that order, the table in the order of
  // `index_name` when one is given) and shows on the form; the focus starts in edOutside.
  TypingForm(const std::string& table_name, const std::vector<std::string>& fields,
             TUpdateState state = usAuto, const std::string& index_name = "")
      : form(nullptr) {
    form.SetName("fmTyping");
    form.SetBounds(0, 0, 900, 700);
    outside = new TEdit(&form);
    outside->SetName("edOutside");
    outside->SetParent(&form);
    outside->SetBounds(8, 640, 120, 21);
    table = new TSQLiteTable(&form);
    table->SetDatabaseName(SampleDatabase());
    table->SetTableName(table_name);
    if (!index_name.empty()) table->SetIndexName(index_name);
    source = new TDataSource(&form);
    source->SetDataSet(table);
    panel = new Panel(&form);
    panel->SetName("Panel1");
    panel->SetParent(&form);
    panel->SetUpdateState(state);
    panel->Fields()->SetDefaultFields(false);
    panel->Fields()->Clear();
    for (const std::string& name : fields) panel->Fields()->Add()->SetFieldName(name);
    panel->SetDataSource(source);
    table->Open();
    Application->OnException = [this](TObject*, const std::exception& e) {
      const auto* own = dynamic_cast<const Exception*>(&e);
      errors.push_back(std::string(own != nullptr ? own->ClassName() : "std::exception") + ": " + e.what());
    };
    form.Show();
    outside->SetFocus();
  }
  ~TypingForm() {
    EXPECT_TRUE(errors.empty()) << "unexpected error: " << errors.front();
    Application->OnException.Clear();
  }
  TypingForm(const TypingForm&) = delete;
  TypingForm& operator=(const TypingForm&) = delete;

  TFieldRecord* Record(const std::string& name) { return panel->FieldByName(name); }
  TFieldRecordEdit* Edit(const std::string& name, int slot = 0) {
    TFieldRecordEdit* edit = FieldEdit(*Record(name), slot);
    EXPECT_NE(edit, nullptr) << name << " has no edit " << slot;
    return edit;
  }

  // ---- the user's input ----
  // Clicks into the edit (which takes the focus, as an edit does on the button press).
  void ClickInto(TFieldRecordEdit* edit) {
    ScriptedUser().Run([edit](TForm&) { ClickAt(edit, 4, 4); });
    ScriptedUser().PlayNow();
  }
  void Type(std::string_view text) {
    ScriptedUser().Type(text);
    ScriptedUser().PlayNow();
  }
  void Press(std::uint16_t key, TShiftState shift = {}) {
    ScriptedUser().Press(key, shift);
    ScriptedUser().PlayNow();
  }
  // Moves the focus out of the panel.
  void Leave() {
    ScriptedUser().Focus("edOutside");
    ScriptedUser().PlayNow();
  }
  // The errors recorded so far, which the test thereby takes as expected.
  std::vector<std::string> TakeErrors() { return std::exchange(errors, {}); }

  TForm form;
  TEdit* outside = nullptr;
  TSQLiteTable* table = nullptr;
  TDataSource* source = nullptr;
  Panel* panel = nullptr;
  std::vector<std::string> errors;
};

}  // namespace vantor::testing
