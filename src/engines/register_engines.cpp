#include "engines/register_engines.h"

#include "engines/filter_panel.h"
#include "engines/filter_record.h"
#include "engines/find_panel.h"
#include "engines/find_record.h"

namespace vantor {

void RegisterEngineClasses() {
  for (const TypeInfo* info : {&TDBFilterPanel::StaticType(), &TDBFindPanel::StaticType(),
                               &TFilterRecord::StaticType(), &TFindRecord::StaticType()}) {
    RegisterClass(*info);
  }
}

}  // namespace vantor
