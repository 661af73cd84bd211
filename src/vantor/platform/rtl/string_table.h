#pragma once
// The string table: the texts of the package's messages and of the runtime's own
// conversion errors, looked up by number, and the raising of the package's error.

#include <initializer_list>
#include <string>

#include <vantor/platform/rtl/format.h>

namespace vantor {

// Message numbers of the package (25105 is not used).
enum : int {
  SFieldNotFound = 25100,          // "%s: Field '%s' not found"
  SMissingDataSource = 25101,      // "Missing DataSource or DataSource.DataSet property"
  SWithCaption = 25102,            // "with"
  SOnCaption = 25103,              // "on"
  SRecordKindNotCalculated = 25104,
  SIndexOutOfBounds = 25106,       // "Index out of bounds (%d)"
  SInvalidVarTypeConversion = 25107,
  SInvalidBoolean = 25108,         // "'%s' is not a valid boolean value"
  SRecordNotFound = 25109,
  SNextRecordNotFound = 25110,
  SDefaultValue = 25111,
  SInvalidIndexFieldName = 25112,
  SControlCannotBeUsed = 25113,    // "Control cannot be used in a '%s'"
};

// Message numbers of the runtime's own errors.
enum : int {
  SInvalidInteger = 65400,     // "'%s' is not a valid integer value"
  SInvalidFloat = 65401,       // "'%s' is not a valid floating point value"
  SInvalidDate = 65402,        // "'%s' is not a valid date"
  SInvalidTime = 65403,        // "'%s' is not a valid time"
  SInvalidDateTime = 65404,    // "'%s' is not a valid date and time"
  SInvalidFormat = 65405,      // "Format '%s' invalid or incompatible with argument"
  SArgumentMissing = 65406,    // "No argument for format '%s'"
  SInvalidVarCast = 65407,     // "Could not convert variant of type (%s) into type (%s)"
  SVarOverflow = 65408,        // "Variant value %s is out of the range of type (%s)"
  SVarCompare = 65409,         // "Variants of type (%s) and (%s) cannot be compared"
  SInvalidCurrency = 65410,    // "'%s' is not a valid currency value"
};

// The text of a message number; "" for a number the table does not hold.
std::string LoadStr(int id);

// Raises EVantorError with the text of `id` formatted with `args`.
[[noreturn]] void VantorError(int id, std::initializer_list<FormatArg> args = {});

// Raises EConvertError with the text of `id` formatted with `args` (runtime errors).
[[noreturn]] void ConvertError(int id, std::initializer_list<FormatArg> args = {});

}  // namespace vantor
