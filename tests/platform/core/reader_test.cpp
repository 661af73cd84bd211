#include <vantor/platform/core/reader.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include <vantor/platform/core/stream.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {
namespace {

using namespace std::string_literals;

// A program asks a stream for its root's class before it makes the root: the header may
// carry the prefix of an inherited root or of one with a child position, which is skipped.
TEST(ReaderRootClassName, ReadsPastEveryKindOfPrefixAndRefusesWhatIsNoFormStream) {
  struct Case {
    std::string bytes;
    std::string class_name;  // empty: EReadError
  };
  const Case cases[] = {
      {"TPF0\x06TForm1\x05" "Form1\0\0"s, "TForm1"},
      {"TPF0\xF1\x07TfmFind\x06" "fmFind\0\0"s, "TfmFind"},                   // inherited
      {"TPF0\xF2\x02\x05\x06TPanel\x06Panel1\0\0"s, "TPanel"},               // child position 5
      {"TPF0\xF3\x03\x00\x01\x06TPanel\x06Panel1\0\0"s, "TPanel"},           // both, position 256
      {"TPF0"s, ""},
      {"TPF0\xF2"s, ""},                                                     // the position is missing
      {"TPF0\x09TForm"s, ""},                                                // the name runs past the end
      {"PK\x03\x04\x06TForm1"s, ""},
  };
  for (const Case& c : cases) {
    TMemoryStream stream(std::string_view(c.bytes));
    if (c.class_name.empty()) {
      EXPECT_THROW(TReader(stream).ReadRootClassName(), EReadError) << c.bytes;
    } else {
      EXPECT_EQ(TReader(stream).ReadRootClassName(), c.class_name) << c.bytes;
    }
  }
}

}  // namespace
}  // namespace vantor
