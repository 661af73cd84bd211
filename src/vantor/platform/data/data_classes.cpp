#include <vantor/platform/data/data_classes.h>

#include <vantor/platform/core/type_info.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/sqlite_query.h>
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/data/table.h>
#include <vantor/platform/data/typed_fields.h>

namespace vantor {

void RegisterDataClasses() {
  for (const TypeInfo* info : {&TDataSource::StaticType(), &TTable::StaticType(), &TSQLiteTable::StaticType(),
                               &TSQLiteQuery::StaticType()}) {
    RegisterClass(*info);
  }
  RegisterFieldClasses();
}

}  // namespace vantor
