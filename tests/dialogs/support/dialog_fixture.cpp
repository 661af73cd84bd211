#include "dialogs/support/dialog_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

#include <vantor/dialogs/register_dialogs.h>
#include <vantor/platform/data/sample_database.h>

namespace vantor::dialogs_test {

namespace {

std::string MadePath;

void RemoveDatabase() { std::remove(MadePath.c_str()); }

}  // namespace

const std::string& SampleDatabase() {
  if (MadePath.empty()) {
    MadePath = (std::filesystem::temp_directory_path() /
                ("vantor_dialogs_" + std::to_string(::getpid()) + ".db")).string();
    CreateSampleDatabase(MadePath, 60, 20);
    std::atexit(RemoveDatabase);
  }
  return MadePath;
}

void DialogTest::SetUp() {
  RegisterDialogClasses();
  Application->Reset();
  Application->ClearMessageBoxes();
  Application->ClearHelpLog();
  Application->OnException = nullptr;
  Screen->Reset();
  ScriptedUser().Clear();
  table_ = std::make_unique<TSQLiteTable>(nullptr);
  table_->SetDatabaseName(SampleDatabase());
  table_->SetTableName("customers");
  table_->Open();
  source_ = std::make_unique<TDataSource>(nullptr);
  source_->SetDataSet(table_.get());
}

void DialogTest::TearDown() {
  kept_.clear();
  source_->SetDataSet(nullptr);
  source_.reset();
  table_.reset();
  EXPECT_TRUE(ScriptedUser().Empty()) << "input left over";
  ScriptedUser().Clear();
}

int DialogTest::CurrentId() const { return table_->FieldByName("id")->AsInteger(); }

void DialogTest::GoTo(int id) {
  for (table_->First(); !table_->Eof(); table_->Next()) {
    if (CurrentId() == id) return;
  }
  ADD_FAILURE() << "no record with id " << id;
}

std::vector<int> DialogTest::IdsWhere(const std::string& field, const std::string& value) {
  std::vector<int> ids;
  for (table_->First(); !table_->Eof(); table_->Next()) {
    if (table_->FieldByName(field)->AsString() == value) ids.push_back(CurrentId());
  }
  table_->First();
  return ids;
}

std::string DialogTest::TextOf(int id, const std::string& field) {
  GoTo(id);
  const std::string text = table_->FieldByName(field)->AsString();
  table_->First();
  return text;
}

std::vector<int> DialogTest::VisibleIds() {
  std::vector<int> ids;
  for (table_->First(); !table_->Eof(); table_->Next()) ids.push_back(CurrentId());
  table_->First();
  return ids;
}

std::vector<std::string> DialogTest::Messages() const {
  std::vector<std::string> texts;
  for (const auto& box : Application->MessageBoxes()) texts.push_back(box.text);
  return texts;
}

}  // namespace vantor::dialogs_test
