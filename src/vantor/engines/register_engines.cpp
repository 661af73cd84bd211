#include <vantor/engines/register_engines.h>

#include <vantor/engines/filter_panel.h>
#include <vantor/engines/filter_record.h>
#include <vantor/engines/find_panel.h>
#include <vantor/engines/find_record.h>

namespace vantor {

void RegisterEngineClasses() {
  for (const TypeInfo* info : {&TDBFilterPanel::StaticType(), &TDBFindPanel::StaticType(),
                               &TFilterRecord::StaticType(), &TFindRecord::StaticType()}) {
    RegisterClass(*info);
  }
}

}  // namespace vantor
