#include <vantor/platform/rtl/string_table.h>

#include <algorithm>
#include <array>
#include <string_view>

#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

namespace {

struct Entry {
  int id;
  std::string_view text;
};

// Sorted by id for the binary search in LoadStr.
constexpr std::array kTable = {
    Entry{SFieldNotFound, "%s: Field '%s' not found"},
    Entry{SMissingDataSource, "Missing DataSource or DataSource.DataSet property"},
    Entry{SWithCaption, "with"},
    Entry{SOnCaption, "on"},
    Entry{SRecordKindNotCalculated,
          "Cannot perform this operation. The RecordKind property of %s must be set to a 'rkCalculated'"},
    Entry{SIndexOutOfBounds, "Index out of bounds (%d)"},
    Entry{SInvalidVarTypeConversion, "Invalid variant type conversion"},
    Entry{SInvalidBoolean, "'%s' is not a valid boolean value"},
    Entry{SRecordNotFound, "The record is not found"},
    Entry{SNextRecordNotFound, "The following record is not found"},
    Entry{SDefaultValue, "Default value"},
    Entry{SInvalidIndexFieldName,
          "Value '%0:s' is not correct for %1:s property. Any name of field in the %1:s property must be "
          "to list of field names in the FieldNames property"},
    Entry{SControlCannotBeUsed, "Control cannot be used in a '%s'"},
    Entry{SInvalidInteger, "'%s' is not a valid integer value"},
    Entry{SInvalidFloat, "'%s' is not a valid floating point value"},
    Entry{SInvalidDate, "'%s' is not a valid date"},
    Entry{SInvalidTime, "'%s' is not a valid time"},
    Entry{SInvalidDateTime, "'%s' is not a valid date and time"},
    Entry{SInvalidFormat, "Format '%s' invalid or incompatible with argument"},
    Entry{SArgumentMissing, "No argument for format '%s'"},
    Entry{SInvalidVarCast, "Could not convert variant of type (%s) into type (%s)"},
    Entry{SVarOverflow, "Variant value %s is out of the range of type (%s)"},
    Entry{SVarCompare, "Variants of type (%s) and (%s) cannot be compared"},
    Entry{SInvalidCurrency, "'%s' is not a valid currency value"},
};

static_assert(std::is_sorted(kTable.begin(), kTable.end(),
                             [](const Entry& a, const Entry& b) { return a.id < b.id; }));

}  // namespace

std::string LoadStr(int id) {
  const auto it = std::lower_bound(kTable.begin(), kTable.end(), id,
                                   [](const Entry& e, int key) { return e.id < key; });
  if (it == kTable.end() || it->id != id) return {};
  return std::string(it->text);
}

void VantorError(int id, std::initializer_list<FormatArg> args) {
  throw EVantorError(Format(LoadStr(id), args));
}

void ConvertError(int id, std::initializer_list<FormatArg> args) {
  throw EConvertError(Format(LoadStr(id), args));
}

}  // namespace vantor
