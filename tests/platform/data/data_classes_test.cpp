#include <vantor/platform/data/data_classes.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include <vantor/platform/core/object_text.h>
#include <vantor/platform/core/reader.h>
#include <vantor/platform/core/stream.h>
#include <vantor/platform/data/sqlite_table.h>
#include "support/people.h"
#include "support/sqlite_file.h"

namespace vantor {
namespace {

// A table kept in a text form is made by its class name, and opens once it is read whole,
// as it does in a form a designer saved.
TEST(DataClasses, ATableKeptInATextFormIsMadeByNameAndOpensWhenRead) {
  RegisterDataClasses();
  const std::string path = testing_support::TempDbPath("data_classes");
  testing_support::WritePeopleDatabase(path);
  TMemoryStream text("object People: TSQLiteTable\n"
                     "  DatabaseName = '" + path + "'\n"
                     "  TableName = 'people'\n"
                     "  IndexName = 'by_name'\n"
                     "  Active = True\n"
                     "end\n");
  TMemoryStream binary;
  ObjectTextToBinary(text, binary);
  binary.SetPosition(0);
  std::unique_ptr<TComponent> root(TReader(binary).ReadRootComponent(nullptr));
  auto* table = dynamic_cast<TSQLiteTable*>(root.get());
  ASSERT_NE(table, nullptr);
  ASSERT_TRUE(table->Active());
  EXPECT_EQ(table->RecordCount(), testing_support::kPeopleRows);
  table->First();
  EXPECT_EQ(table->FieldByName("name")->AsString(), "Adams") << "in the order of the stored index";
  root.reset();
  std::remove(path.c_str());
}

}  // namespace
}  // namespace vantor
