#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <vantor/platform/core/extended.h>
#include <vantor/platform/core/object_text.h>
#include <vantor/platform/core/reader.h>
#include <vantor/platform/core/stream.h>
#include <vantor/platform/core/writer.h>
#include "stream_fixtures.h"
#include "support/form_stream.h"

namespace vantor {
namespace {

using testing::TShade;
using testing::TStyleBit;
using testing::TTestBox;
using testing::TTestForm;
using testing_support::FormBytes;
using testing_support::FormText;
using testing_support::WriteForm;

using Bytes = std::vector<std::uint8_t>;

Bytes B(std::initializer_list<int> v) {
  Bytes out;
  for (int x : v) out.push_back(static_cast<std::uint8_t>(x));
  return out;
}
Bytes Str(std::string_view s) { return Bytes(s.begin(), s.end()); }
Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

template <typename F>
Bytes Written(F f) {
  TMemoryStream s;
  TWriter w(s);
  f(w);
  return s.Bytes();
}

// ---- streams ----

TEST(MemoryStream, ReadsWritesSeeksAndReportsShortReads) {
  TMemoryStream s;
  s.WriteBuffer("abcdef", 6);
  EXPECT_EQ(s.Size(), 6);
  EXPECT_EQ(s.Position(), 6);
  s.SetPosition(2);
  char buf[3] = {};
  s.ReadBuffer(buf, 3);
  EXPECT_EQ(std::string(buf, 3), "cde");
  EXPECT_EQ(s.Remaining(), 1);
  EXPECT_THROW(s.ReadBuffer(buf, 2), EReadError);
  EXPECT_THROW(s.Seek(-1, soBeginning), EStreamError);
  s.SetSize(2);
  EXPECT_EQ(s.ToString(), "ab");
  EXPECT_EQ(s.Position(), 2);
}

TEST(FileStream, WritesAndReadsBackAFileAndRefusesMissingOnes) {
  const std::string path = ::testing::TempDir() + "/vantor_file_stream_test.bin";
  {
    TFileStream f(path, fmCreate);
    f.WriteBuffer("hello", 5);
    f.Flush();
  }
  TMemoryStream m;
  m.LoadFromFile(path);
  EXPECT_EQ(m.ToString(), "hello");
  TFileStream f(path, fmOpenRead);
  EXPECT_EQ(f.Size(), 5);
  char buf[8];
  EXPECT_THROW(f.ReadBuffer(buf, 8), EReadError);
  EXPECT_THROW(TFileStream(path + ".missing", fmOpenRead), EFOpenError);
  EXPECT_THROW(TFileStream("/nonexistent-dir/x", fmCreate), EFCreateError);
}

// ---- items ----

TEST(FormStreamItems, ValuesSequenceOfTheCriteriaStorageIsByteExact) {
  const Bytes bytes = Written([](TWriter& w) {
    w.WritePropName("Values");
    w.WriteListBegin();
    w.WriteInteger(0);
    w.WriteInteger(1);
    w.WriteListBegin();
    w.WriteInteger(0);
    w.WriteString("abc");
    w.WriteListEnd();
    w.WriteInteger(2);
    w.WriteInteger(3);
    w.WriteListBegin();
    w.WriteInteger(0);
    w.WriteInteger(5);
    w.WriteInteger(1);
    w.WriteInteger(10);
    w.WriteListEnd();
    w.WriteListEnd();
  });
  const Bytes expected = Cat({B({6}), Str("Values"), B({1, 2, 0, 2, 1, 1, 2, 0, 6, 3}), Str("abc"),
                              B({0, 2, 2, 2, 3, 1, 2, 0, 2, 5, 2, 1, 2, 10, 0, 0})});
  EXPECT_EQ(bytes, expected);

  TMemoryStream in(bytes);
  TReader r(in);
  EXPECT_EQ(r.ReadStr(), "Values");
  r.ReadListBegin();
  EXPECT_EQ(r.ReadInteger(), 0);
  EXPECT_EQ(r.ReadInteger(), 1);
  r.ReadListBegin();
  EXPECT_EQ(r.ReadInteger(), 0);
  EXPECT_EQ(r.ReadString(), "abc");
  EXPECT_TRUE(r.EndOfList());
  r.ReadListEnd();
  EXPECT_EQ(r.ReadInteger(), 2);
  EXPECT_EQ(r.ReadInteger(), 3);
  r.ReadListBegin();
  std::vector<int> got;
  while (!r.EndOfList()) got.push_back(r.ReadInteger());
  r.ReadListEnd();
  r.ReadListEnd();
  EXPECT_EQ(got, (std::vector<int>{0, 5, 1, 10}));
  EXPECT_EQ(in.Remaining(), 0);
}

TEST(FormStreamItems, IntegersUseTheSmallestFormAndEveryFormReadsBack) {
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(127); }), B({2, 127}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(-128); }), B({2, 0x80}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(300); }), B({3, 0x2C, 0x01}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(-129); }), B({3, 0x7F, 0xFF}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(40000); }), B({4, 0x40, 0x9C, 0, 0}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(INT32_MIN); }), B({4, 0, 0, 0, 0x80}));
  // One past each small form takes the next wider one; none wraps.
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(128); }), B({3, 0x80, 0}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(32767); }), B({3, 0xFF, 0x7F}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(32768); }), B({4, 0, 0x80, 0, 0}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(-32768); }), B({3, 0, 0x80}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(-32769); }), B({4, 0xFF, 0x7F, 0xFF, 0xFF}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(INT32_MAX); }), B({4, 0xFF, 0xFF, 0xFF, 0x7F}));
  for (std::int32_t v : {-129, -128, 127, 128, -32769, -32768, 32767, 32768, INT32_MIN, INT32_MAX}) {
    const Bytes b = Written([v](TWriter& w) { w.WriteInteger(v); });
    TMemoryStream in(b);
    EXPECT_EQ(TReader(in).ReadInteger(), v);
  }
  for (const Bytes& b : {B({2, 5}), B({3, 5, 0}), B({4, 5, 0, 0, 0})}) {
    TMemoryStream in(b);
    EXPECT_EQ(TReader(in).ReadInteger(), 5);
  }
  TMemoryStream neg(B({4, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(TReader(neg).ReadInteger(), -1);
}

TEST(FormStreamItems, StringsBooleansIdentsAndBinaryUseTheirTags) {
  EXPECT_EQ(Written([](TWriter& w) { w.WriteString(std::string(255, 'x')); })[0], 6);
  const Bytes longer = Written([](TWriter& w) { w.WriteString(std::string(256, 'x')); });
  EXPECT_EQ(Bytes(longer.begin(), longer.begin() + 5), B({12, 0, 1, 0, 0}));
  EXPECT_EQ(Written([](TWriter& w) {
              w.WriteBoolean(false);
              w.WriteBoolean(true);
              w.WriteIdent("nil");
            }),
            B({8, 9, 13}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteIdent("alTop"); }), Cat({B({7, 5}), Str("alTop")}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteBinary(B({0xAB, 0xCD})); }), B({10, 2, 0, 0, 0, 0xAB, 0xCD}));
  TMemoryStream in(longer);
  EXPECT_EQ(TReader(in).ReadString(), std::string(256, 'x'));
}

TEST(FormStreamItems, CharactersTravelAsUtf8Strings) {
  EXPECT_EQ(Written([](TWriter& w) { w.WriteChar(U'é'); }), B({6, 2, 0xC3, 0xA9}));
  TMemoryStream in(B({6, 2, 0xC3, 0xA9, 2, 65, 6, 2, 'a', 'b'}));
  TReader r(in);
  EXPECT_EQ(r.ReadChar(), U'é');
  EXPECT_EQ(r.ReadChar(), U'A');
  EXPECT_THROW(r.ReadChar(), EReadError);
}

// What another writer put in a stream is checked at the edge of each length and range.
TEST(FormStreamItems, LengthsAndCodesFromOtherWritersAreReadUpToTheirLastValidValue) {
  auto error = [](const Bytes& b, auto read) -> std::string {
    TMemoryStream in(b);
    TReader r(in);
    try {
      read(r);
    } catch (const EReadError& e) {
      return e.Message();
    }
    return "";
  };
  // A length that ends exactly at the end of the stream reads; one byte more runs past it.
  TMemoryStream exact(B({12, 3, 0, 0, 0, 'a', 'b', 'c'}));
  EXPECT_EQ(TReader(exact).ReadString(), "abc");
  TMemoryStream blob(B({10, 2, 0, 0, 0, 7, 8}));
  EXPECT_EQ(TReader(blob).ReadBinary(), B({7, 8}));
  TMemoryStream shortstr(B({6, 2, 'o', 'k'}));
  EXPECT_EQ(TReader(shortstr).ReadString(), "ok");
  EXPECT_NE(error(B({12, 4, 0, 0, 0, 'a', 'b', 'c'}), [](TReader& r) { r.ReadString(); }).find("runs past the end"),
            std::string::npos);
  EXPECT_NE(error(B({6, 3, 'o', 'k'}), [](TReader& r) { r.ReadString(); }).find("runs past the end"), std::string::npos);
  // The largest length is merely too long for this stream; one more is no length at all.
  EXPECT_NE(error(B({12, 0xFF, 0xFF, 0xFF, 0x7F}), [](TReader& r) { r.ReadString(); }).find("runs past the end"),
            std::string::npos);
  EXPECT_NE(error(B({12, 0, 0, 0, 0x80}), [](TReader& r) { r.ReadString(); }).find("Negative length"),
            std::string::npos);
  // Character codes run from 0 to U+10FFFF.
  TMemoryStream codes(B({2, 0, 4, 0xFF, 0xFF, 0x10, 0}));
  TReader cr(codes);
  EXPECT_EQ(cr.ReadChar(), U'\0');
  EXPECT_EQ(cr.ReadChar(), U'\U0010FFFF');
  EXPECT_NE(error(B({4, 0, 0, 0x11, 0}), [](TReader& r) { r.ReadChar(); }).find("Invalid character code 1114112"),
            std::string::npos);
  EXPECT_NE(error(B({2, 0xFF}), [](TReader& r) { r.ReadChar(); }).find("Invalid character code -1"), std::string::npos);
  // The collection tag is the last tag there is.
  TMemoryStream last(B({14}));
  EXPECT_EQ(TReader(last).ReadValue(), vaCollection);
  EXPECT_NE(error(B({15}), [](TReader& r) { r.ReadValue(); }).find("Invalid value tag 15"), std::string::npos);
  // A set holds at most 64 members.
  auto set_of = [](int members) {
    Bytes b;
    for (int i = 0; i < members; ++i) {
      const std::string name = "m" + std::to_string(i);
      b.push_back(static_cast<std::uint8_t>(name.size()));
      b.insert(b.end(), name.begin(), name.end());
    }
    b.push_back(0);
    return b;
  };
  TMemoryStream full(set_of(64));
  EXPECT_EQ(TReader(full).ReadSetNames().size(), 64u);
  EXPECT_NE(error(set_of(65), [](TReader& r) { r.ReadSetNames(); }).find("Too many set members"), std::string::npos);
}

// ---- extended reals ----

Extended80 X(std::initializer_list<int> v) {
  Extended80 out{};
  std::size_t i = 0;
  for (int x : v) out[i++] = static_cast<std::uint8_t>(x);
  return out;
}

TEST(Extended, EncodesDoublesExactlyInTheTenByteLayout) {
  EXPECT_EQ(EncodeExtended(1.5), X({0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F}));
  EXPECT_EQ(EncodeExtended(-2.0), X({0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}));
  EXPECT_EQ(EncodeExtended(0.0), X({0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(EncodeExtended(-0.0), X({0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}));
  EXPECT_EQ(EncodeExtended(std::numeric_limits<double>::infinity()), X({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}));
  for (double v : {0.1, -123.456, 1e300, 5e-324, 2.2250738585072014e-308, 36526.75}) {
    const auto back = DecodeExtended(EncodeExtended(v));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, v);
    EXPECT_TRUE(ExtendedIsDouble(EncodeExtended(v)));
  }
  EXPECT_TRUE(std::isnan(*DecodeExtended(EncodeExtended(std::nan("")))));
}

// Currency amounts go through the 10-byte real without a double in between: the nearest
// extended to every amount of the range reads back to that amount.
TEST(Extended, CurrencyAmountsRoundTripOverTheWholeRange) {
  std::vector<std::int64_t> amounts{INT64_MAX, INT64_MIN, INT64_MAX - 1, INT64_MIN + 1, 0, 1, -1, 5000, 9999,
                                    10000, 123456789012345678, (std::int64_t{1} << 62) + 1};
  std::mt19937_64 rng(42);
  for (int i = 0; i < 20000; ++i) {
    amounts.push_back(static_cast<std::int64_t>(rng()));
    amounts.push_back(static_cast<std::int64_t>(rng() >> (rng() % 64)));
  }
  for (std::int64_t scaled : amounts) {
    const Extended80 x = CurrencyToExtended(scaled);
    const auto back = ExtendedToCurrency(x);
    ASSERT_TRUE(back.has_value()) << scaled;
    EXPECT_EQ(*back, scaled);
    if constexpr (std::numeric_limits<long double>::digits == 64) {
      // The x87 unit divides to the nearest extended: the host writes the same bytes.
      const long double expected = static_cast<long double>(scaled) / 10000.0L;
      Extended80 bytes{};
      std::memcpy(bytes.data(), &expected, bytes.size());
      EXPECT_EQ(x, bytes) << scaled;
    }
  }
  EXPECT_EQ(*DecodeExtended(CurrencyToExtended(123456)), 12.3456);
}

TEST(Extended, CurrencyFromExtendedRoundsToFourDecimalsAndRefusesWhatDoesNotFit) {
  EXPECT_EQ(ExtendedToCurrency(EncodeExtended(12.5)), std::optional<std::int64_t>(125000));
  // 0.03125 and 0.09375 are exact binary fractions half way between two amounts: ties
  // go to the even one.
  EXPECT_EQ(ExtendedToCurrency(EncodeExtended(0.03125)), std::optional<std::int64_t>(312));
  EXPECT_EQ(ExtendedToCurrency(EncodeExtended(-0.09375)), std::optional<std::int64_t>(-938));
  EXPECT_EQ(ExtendedToCurrency(EncodeExtended(1e-300)), std::optional<std::int64_t>(0));
  EXPECT_EQ(ExtendedToCurrency(EncodeExtended(-0.0)), std::optional<std::int64_t>(0));
  // The double nearest the greatest amount lies above it: no currency.
  EXPECT_FALSE(ExtendedToCurrency(EncodeExtended(922337203685477.5807)).has_value());
  EXPECT_EQ(ExtendedToCurrency(EncodeExtended(-922337203685477.5)), std::optional<std::int64_t>(-9223372036854775000));
  EXPECT_FALSE(ExtendedToCurrency(EncodeExtended(1e300)).has_value());
  EXPECT_FALSE(ExtendedToCurrency(EncodeExtended(std::numeric_limits<double>::infinity())).has_value());
  EXPECT_FALSE(ExtendedToCurrency(EncodeExtended(std::nan(""))).has_value());
  EXPECT_FALSE(ExtendedToCurrency(X({0, 0, 0, 0, 0, 0, 0, 0x40, 0xFF, 0x3F})).has_value()) << "unnormal";
}

TEST(Extended, DecodingRoundsToNearestEvenAndRefusesNonNumbers) {
  // 1 + 2^-53 lies half way between two doubles: ties to even gives 1.
  EXPECT_EQ(*DecodeExtended(X({0, 0x04, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F})), 1.0);
  // 1 + 2^-53 + 2^-63 is just above half way: rounds up.
  EXPECT_EQ(*DecodeExtended(X({1, 0x04, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F})), 1.0 + std::ldexp(1.0, -52));
  EXPECT_FALSE(ExtendedIsDouble(X({1, 0x04, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F})));
  // Beyond the double range: infinity; far below: zero.
  EXPECT_TRUE(std::isinf(*DecodeExtended(X({0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0x50}))));
  EXPECT_EQ(*DecodeExtended(X({0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0x10})), 0.0);
  // An unnormal (integer bit clear, exponent set) is no number.
  EXPECT_FALSE(DecodeExtended(X({0, 0, 0, 0, 0, 0, 0, 0x40, 0xFF, 0x3F})).has_value());
}

TEST(Extended, TextFormIsTheHostsFixedShapeAndReadsBackBitForBit) {
  EXPECT_EQ(*ExtendedToText(EncodeExtended(1.5)), "1.500000000000000000");
  EXPECT_EQ(*ExtendedToText(EncodeExtended(0.1)), "0.100000000000000000");
  EXPECT_EQ(*ExtendedToText(EncodeExtended(-8)), "-8.000000000000000000");
  EXPECT_EQ(*ExtendedToText(EncodeExtended(1e-20)), "1E-20");
  EXPECT_EQ(*ExtendedToText(EncodeExtended(1.25e300)), "1.25E300");
  for (double v : {0.1, 1.0 / 3, -2.5e-7, 123456.789, 1e16, 5e-324, 0.0, -0.0}) {
    const Extended80 x = EncodeExtended(v);
    EXPECT_EQ(*TextToExtended(*ExtendedToText(x)), x) << v;
  }
  const Extended80 odd = X({1, 0x04, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F});  // not a double
  EXPECT_EQ(*TextToExtended(*ExtendedToText(odd)), odd);
  EXPECT_FALSE(ExtendedToText(EncodeExtended(std::numeric_limits<double>::infinity())).has_value());
  EXPECT_FALSE(TextToExtended("1.2.3").has_value());
  EXPECT_FALSE(TextToExtended("E5").has_value());
}

// ---- component trees ----

class FormStream : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::RegisterTestClasses();
    TTestBox::loaded_order.clear();
  }

  // A form holding one box of every property kind and a nested box.
  static std::unique_ptr<TTestForm> MakeForm() {
    auto form = std::make_unique<TTestForm>(nullptr);
    form->SetName("Form1");
    form->SetCaption("Main");
    auto* box = new TTestBox(form.get());
    box->SetName("Box1");
    box->SetParentComponent(form.get());
    box->SetCount(300);
    box->SetEnabled(false);
    box->SetLetter(U'ß');
    box->SetShade(TShade::shDark);
    box->SetCaption("it's\r\nok");
    box->SetHint("plain");
    box->SetRatio(2.75);
    box->Font()->SetName("Sans");
    box->Font()->SetSize(12);
    box->Font()->SetStyle({TStyleBit::stBold, TStyleBit::stUnderline});
    static_cast<testing::TTestItem*>(box->Items()->Add())->SetCaption("first");
    auto* second = static_cast<testing::TTestItem*>(box->Items()->Add());
    second->SetCaption("second");
    second->SetWidth(25);
    box->OnPing.Set("BoxPing", [](TComponent*) {});
    box->values = {0, 1, -500, 70000};
    box->blob = {0x0A, 0x0B, 0xFF};
    auto* inner = new TTestBox(form.get());
    inner->SetName("Inner");
    inner->SetParentComponent(box);
    inner->SetBuddy(box);
    box->SetBuddy(inner);
    return form;
  }

  static std::unique_ptr<TComponent> Read(const Bytes& b, TComponent* root = nullptr) {
    TMemoryStream in(b);
    return std::unique_ptr<TComponent>(TReader(in).ReadRootComponent(root));
  }
};

TEST_F(FormStream, TreeWithEveryPropertyKindReadsBackIntoEqualState) {
  auto form = MakeForm();
  const Bytes bytes = WriteForm(*form);
  ASSERT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), Str("TPF0"));

  auto read = Read(bytes);
  auto* form2 = dynamic_cast<TTestForm*>(read.get());
  ASSERT_NE(form2, nullptr);
  EXPECT_EQ(form2->Name(), "Form1");
  EXPECT_EQ(form2->Caption(), "Main");
  ASSERT_EQ(form2->ComponentCount(), 2);
  auto* box = dynamic_cast<TTestBox*>(form2->FindComponent("Box1"));
  auto* inner = dynamic_cast<TTestBox*>(form2->FindComponent("Inner"));
  ASSERT_NE(box, nullptr);
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(box->Owner(), form2);
  EXPECT_EQ(box->GetParentComponent(), form2);
  EXPECT_EQ(inner->Owner(), form2);
  EXPECT_EQ(inner->GetParentComponent(), box);
  EXPECT_EQ(box->Count(), 300);
  EXPECT_FALSE(box->Enabled());
  EXPECT_EQ(box->Letter(), U'ß');
  EXPECT_EQ(box->Shade(), TShade::shDark);
  EXPECT_EQ(box->Caption(), "it's\r\nok");
  EXPECT_EQ(box->Hint(), "plain");
  EXPECT_EQ(box->Ratio(), 2.75);
  EXPECT_EQ(box->Font()->Name(), "Sans");
  EXPECT_EQ(box->Font()->Size(), 12);
  EXPECT_EQ(box->Font()->Style(), (testing::TStyleBits{TStyleBit::stBold, TStyleBit::stUnderline}));
  ASSERT_EQ(box->Items()->Count(), 2);
  EXPECT_EQ(box->Items()->Item(0)->Caption(), "first");
  EXPECT_EQ(box->Items()->Item(0)->Width(), 10);
  EXPECT_EQ(box->Items()->Item(1)->Caption(), "second");
  EXPECT_EQ(box->Items()->Item(1)->Width(), 25);
  EXPECT_EQ(box->Buddy(), inner);
  EXPECT_EQ(inner->Buddy(), box);
  EXPECT_EQ(box->values, (std::vector<std::int32_t>{0, 1, -500, 70000}));
  EXPECT_EQ(box->blob, B({0x0A, 0x0B, 0xFF}));
  ASSERT_TRUE(box->OnPing.Assigned());
  EXPECT_EQ(box->OnPing.HandlerName(), "BoxPing");
  box->OnPing(inner);  // bound to the reading form's own handler
  EXPECT_EQ(form2->pinged, (std::vector<TComponent*>{inner}));
  // Writing the read tree gives the same bytes.
  EXPECT_EQ(WriteForm(*form2), bytes);
}

// Inside a component, property and class names follow one another with only their length
// byte in front; names of 15 bytes and more have length bytes above every value tag, and
// must not be taken for a bad tag where the reader looks for the end of a list.
class TLongNamedComponentClass : public TComponent {
 public:
  using TComponent::TComponent;
  static const TypeInfo& StaticType() {
    static const TypeInfo info =
        TypeBuilder<TLongNamedComponentClass>("TLongNamedComponentClass", &TComponent::StaticType())
            .Component()
            .Property("AVeryLongPropertyNameIndeed", &TLongNamedComponentClass::Value,
                      &TLongNamedComponentClass::SetValue, 0)
            .Build();
    return info;
  }
  const TypeInfo& ClassType() const override { return StaticType(); }
  std::int32_t Value() const { return value_; }
  void SetValue(std::int32_t v) { value_ = v; }

 private:
  std::int32_t value_ = 0;
};

TEST_F(FormStream, NamesLongerThanEveryValueTagReadBack) {
  RegisterClass(TLongNamedComponentClass::StaticType());
  auto root = std::make_unique<TLongNamedComponentClass>(nullptr);
  root->SetName("Root");
  root->SetValue(7);
  auto* child = new TLongNamedComponentClass(root.get());
  child->SetName("Child");
  child->SetValue(-3);

  const Bytes bytes = WriteForm(*root);
  EXPECT_EQ(FormBytes(FormText(bytes)), bytes);
  auto read = Read(bytes);
  auto* root2 = dynamic_cast<TLongNamedComponentClass*>(read.get());
  ASSERT_NE(root2, nullptr);
  EXPECT_EQ(root2->Value(), 7);
  auto* child2 = dynamic_cast<TLongNamedComponentClass*>(root2->FindComponent("Child"));
  ASSERT_NE(child2, nullptr);
  EXPECT_EQ(child2->Value(), -3);
}

TEST_F(FormStream, BinaryToTextToBinaryIsByteIdentical) {
  auto form = MakeForm();
  const Bytes bytes = WriteForm(*form);
  const std::string text = FormText(bytes);
  EXPECT_EQ(FormBytes(text), bytes);
  EXPECT_NE(text.find("object Form1: TTestForm\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  object Box1: TTestBox\n"), std::string::npos);
  EXPECT_NE(text.find("    Caption = 'it''s'#13#10'ok'\n"), std::string::npos) << text;
  EXPECT_NE(text.find("    Enabled = False\n"), std::string::npos);
  EXPECT_NE(text.find("    Shade = shDark\n"), std::string::npos);
  EXPECT_NE(text.find("    Ratio = 2.750000000000000000\n"), std::string::npos);
  EXPECT_NE(text.find("    Font.Style = [stBold, stUnderline]\n"), std::string::npos);
  EXPECT_NE(text.find("    Items = <\n      item\n        Caption = 'first'\n      end\n"), std::string::npos) << text;
  EXPECT_NE(text.find("    Buddy = Inner\n"), std::string::npos);
  EXPECT_NE(text.find("    OnPing = BoxPing\n"), std::string::npos);
  EXPECT_NE(text.find("    Values = (\n      0\n      1\n      -500\n      70000)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("    Blob = {0A0BFF}\n"), std::string::npos);
  EXPECT_NE(text.find("    object Inner: TTestBox\n"), std::string::npos);
}

TEST_F(FormStream, TextFormOfLongStringsAndBinaryBreaksLinesAndReadsBack) {
  auto form = std::make_unique<TTestForm>(nullptr);
  form->SetName("F");
  form->SetCaption(std::string(150, 'a') + "\x01" + "\xC3\xA9" + "\xFF");
  form->blob.assign(70, 0x5A);
  const Bytes bytes = WriteForm(*form);
  const std::string text = FormText(bytes);
  EXPECT_NE(text.find("' +\n"), std::string::npos) << text;
  EXPECT_NE(text.find("#1'\xC3\xA9'%FF"), std::string::npos) << text;
  EXPECT_NE(text.find("Blob = {\n    5A5A"), std::string::npos) << text;
  EXPECT_EQ(FormBytes(text), bytes);
}

TEST_F(FormStream, DefaultsAndUnstoredPropertiesAreNotWritten) {
  TTestForm form(nullptr);
  form.SetName("F");
  form.SetHint("(auto)");  // the stored predicate says no
  const std::string text = FormText(WriteForm(form));
  EXPECT_EQ(text,
            "object F: TTestForm\n"
            "  Count = 0\n"  // an integer without a default is always written
            "  Items = <>\n"
            "end\n");
}

TEST_F(FormStream, TextWrittenByHandConvertsAndLoads) {
  const std::string text =
      "object Form1: TTestForm\r\n"
      "  Caption = 'a' + \r\n"
      "    'b'#65\r\n"
      "  Ratio = -1.5E2\r\n"
      "  Count = $10\r\n"
      "  Letter = 'z'\r\n"
      "  object B: TTestBox\r\n"
      "    Items = <item [3] Width = 4 end>\r\n"
      "  end\r\n"
      "end\r\n";
  auto root = Read(FormBytes(text));
  auto* form = dynamic_cast<TTestForm*>(root.get());
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->Caption(), "abA");
  EXPECT_EQ(form->Ratio(), -150.0);
  EXPECT_EQ(form->Count(), 16);
  EXPECT_EQ(form->Letter(), U'z');
  auto* b = dynamic_cast<TTestBox*>(form->FindComponent("B"));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->Items()->Item(0)->Width(), 4);
}

// Two windows of one class, each read from the same description under one owner: the
// second takes the first free name with a number after it, and its own components keep
// theirs (they are named inside it).
TEST_F(FormStream, ARootReadUnderAnOwnerThatHasItsNameAlreadyGetsAFreeName) {
  const Bytes bytes = WriteForm(*MakeForm());
  TComponent owner(nullptr);
  std::vector<TTestForm*> read;
  for (int i = 0; i < 3; ++i) {
    read.push_back(new TTestForm(&owner));
    TMemoryStream in(bytes);
    TReader(in).ReadRootComponent(read.back());
  }
  EXPECT_EQ(read[0]->Name(), "Form1");
  EXPECT_EQ(read[1]->Name(), "Form1_1");
  EXPECT_EQ(read[2]->Name(), "Form1_2");
  EXPECT_NE(read[2]->FindComponent("Box1"), nullptr);
  delete read[1];
  auto* again = new TTestForm(&owner);
  TMemoryStream in(bytes);
  TReader(in).ReadRootComponent(again);
  EXPECT_EQ(again->Name(), "Form1_1");
}

TEST_F(FormStream, ReadingIntoAnExistingRootFillsItAndItsNamedComponents) {
  auto source = MakeForm();
  const Bytes bytes = WriteForm(*source);
  TTestForm target(nullptr);
  auto* existing = new TTestBox(&target);
  existing->SetName("Box1");
  TMemoryStream in(bytes);
  EXPECT_EQ(TReader(in).ReadRootComponent(&target), &target);
  EXPECT_EQ(target.Name(), "Form1");
  EXPECT_EQ(target.Caption(), "Main");
  EXPECT_EQ(target.ComponentCount(), 2);  // Box1 was filled, Inner created
  EXPECT_EQ(existing->Count(), 300);
  EXPECT_EQ(existing->Font()->Name(), "Sans");
  EXPECT_FALSE(target.ComponentState().Contains(csLoading));
}

TEST_F(FormStream, LoadingFlagsHoldDuringTheReadAndLoadedRunsInReadOrder) {
  auto form = MakeForm();
  auto read = Read(WriteForm(*form));
  EXPECT_EQ(TTestBox::loaded_order, (std::vector<std::string>{"Form1", "Box1", "Inner"}));
  auto* box = dynamic_cast<TTestBox*>(read->FindComponent("Box1"));
  EXPECT_TRUE(box->seen_state_while_loading.Contains(csLoading));
  EXPECT_FALSE(box->seen_state_while_loading.Contains(csReading));  // cleared before Loaded
  EXPECT_FALSE(box->ComponentState().Contains(csLoading));
  EXPECT_FALSE(read->ComponentState().Contains(csReading));
}

TEST_F(FormStream, WritingRaisesCsWritingOnlyWhileTheComponentIsWritten) {
  TTestForm form(nullptr);
  bool seen = false;
  class Probe : public TTestBox {
   public:
    Probe(TComponent* o, bool* seen) : TTestBox(o), seen_(seen) {}
    void DefineProperties(TFiler& f) override {
      *seen_ = ComponentState().Contains(csWriting);
      TTestBox::DefineProperties(f);
    }
    bool* seen_;
  };
  Probe probe(nullptr, &seen);
  probe.SetName("P");
  TMemoryStream s;
  TWriter(s).WriteRootComponent(&probe);
  EXPECT_TRUE(seen);
  EXPECT_FALSE(probe.ComponentState().Contains(csWriting));
}

TEST_F(FormStream, ReferencesOutsideTheRootAreFoundThroughTheGlobalFinder) {
  TTestForm other(nullptr);
  other.SetName("Other");
  auto* target = new TTestBox(&other);
  target->SetName("Target");
  SetFindGlobalComponent([&](std::string_view name) -> TComponent* { return name == "Other" ? &other : nullptr; });
  auto root = Read(FormBytes("object F: TTestForm\n  Buddy = Other.Target\nend\n"));
  SetFindGlobalComponent(nullptr);
  EXPECT_EQ(dynamic_cast<TTestBox*>(root.get())->Buddy(), target);
  // Written back under the same dotted name.
  EXPECT_NE(FormText(WriteForm(*root)).find("Buddy = Other.Target"), std::string::npos);
  dynamic_cast<TTestBox*>(root.get())->SetBuddy(nullptr);
}

// An integer property whose well-known values have names, as colours do.
class TTinted : public TComponent {
 public:
  explicit TTinted(TComponent* owner) : TComponent(owner) {}
  static const TypeInfo& StaticType() {
    static const TypeInfo info =
        TypeBuilder<TTinted>("TTinted", &TComponent::StaticType())
            .Component()
            .Property("Color", &TTinted::Color, &TTinted::SetColor, 0)
            .Idents([](std::string_view s) -> std::optional<std::int64_t> {
                      if (s == "clRed") return 0xFF;
                      return std::nullopt;
                    },
                    [](std::int64_t v) -> std::optional<std::string> {
                      if (v == 0xFF) return "clRed";
                      return std::nullopt;
                    })
            .Build();
    return info;
  }
  const TypeInfo& ClassType() const override { return StaticType(); }
  std::int32_t Color() const { return color_; }
  void SetColor(std::int32_t c) { color_ = c; }

 private:
  std::int32_t color_ = 0;
};

TEST_F(FormStream, NamedIntegerValuesAreWrittenByNameAndReadInEitherForm) {
  RegisterClass(TTinted::StaticType());
  TTinted t(nullptr);
  t.SetName("T");
  t.SetColor(0xFF);
  EXPECT_NE(FormText(WriteForm(t)).find("Color = clRed"), std::string::npos);
  t.SetColor(7);
  EXPECT_NE(FormText(WriteForm(t)).find("Color = 7"), std::string::npos);
  auto named = Read(FormBytes("object T: TTinted\n  Color = clRed\nend\n"));
  EXPECT_EQ(dynamic_cast<TTinted*>(named.get())->Color(), 0xFF);
  EXPECT_THROW(Read(FormBytes("object T: TTinted\n  Color = clBlue\nend\n")), EReadError);
}

// ---- bad input ----

class BadInput : public FormStream {
 protected:
  // Expects the read to fail with E and to leave no component alive.
  template <typename E>
  void ExpectRejected(const Bytes& bytes, const std::string& fragment = "") {
    const int before = TTestBox::live;
    try {
      Read(bytes);
      ADD_FAILURE() << "no exception";
    } catch (const E& e) {
      if (!fragment.empty()) {
        EXPECT_NE(e.Message().find(fragment), std::string::npos) << e.Message();
      }
    }
    EXPECT_EQ(TTestBox::live, before);
  }
  static Bytes Header(std::string_view cls, std::string_view name) {
    return Cat({Str("TPF0"), B({static_cast<int>(cls.size())}), Str(cls), B({static_cast<int>(name.size())}), Str(name)});
  }
};

TEST_F(BadInput, EveryTruncationOfAValidStreamIsRefusedWithoutLeaks) {
  auto form = MakeForm();
  const Bytes bytes = WriteForm(*form);
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    ExpectRejected<EReadError>(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)));
  }
}

TEST_F(BadInput, SignatureTagsAndLengthsAreChecked) {
  ExpectRejected<EReadError>(Cat({Str("TPF1"), B({0, 0, 0, 0})}), "signature");
  ExpectRejected<EReadError>(Cat({Header("TTestForm", "F"), B({7}), Str("Caption"), B({99})}),
                             "Invalid value tag 99");
  // A property name whose length byte runs past the end.
  ExpectRejected<EReadError>(Cat({Header("TTestForm", "F"), B({99})}), "past the end");
  // A long string whose length runs past the end.
  ExpectRejected<EReadError>(Cat({Header("TTestForm", "F"), B({7}), Str("Caption"), B({12, 0xFF, 0xFF, 0xFF, 0x7F, 'a'})}),
                             "past the end");
  ExpectRejected<EReadError>(Cat({Header("TTestForm", "F"), B({4}), Str("Blob"), B({10, 0, 0, 0, 0x80})}));
}

TEST_F(BadInput, UnknownClassesAndPropertiesAreNamed) {
  ExpectRejected<EClassNotFound>(Cat({Header("TNoSuchThing", "X"), B({0, 0})}), "TNoSuchThing");
  ExpectRejected<EClassNotFound>(Cat({Header("TTestForm", "F"), B({0}), B({6}), Str("TOther"), B({1}), Str("X"), B({0, 0, 0})}));
  ExpectRejected<EReadError>(Cat({Header("TTestForm", "F"), B({5}), Str("Bogus"), B({2, 1, 0, 0})}),
                             "Property Bogus does not exist");
  ExpectRejected<EReadError>(Cat({Header("TTestForm", "F"), B({10}), Str("Font.Bogus"), B({2, 1, 0, 0})}));
}

TEST_F(BadInput, ValuesOfTheWrongKindAreRefused) {
  auto prop = [&](std::string_view name, const Bytes& value) {
    return Cat({Header("TTestForm", "F"), B({static_cast<int>(name.size())}), Str(name), value, B({0, 0})});
  };
  ExpectRejected<EReadError>(prop("Count", Cat({B({6, 1}), Str("x")})), "integer expected");
  ExpectRejected<EReadError>(prop("Enabled", B({2, 1})), "True or False");
  ExpectRejected<EReadError>(prop("Shade", Cat({B({7, 5}), Str("shRed")})), "unknown value shRed");
  ExpectRejected<EReadError>(prop("Font.Style", Cat({B({11, 3}), Str("stX"), B({0})})), "unknown set member");
  ExpectRejected<EReadError>(prop("Caption", B({2, 1})), "string expected");
  ExpectRejected<EReadError>(prop("Ratio", B({9})), "number expected");
  ExpectRejected<EReadError>(prop("Items", B({1, 0})), "collection expected");
  ExpectRejected<EReadError>(prop("Font", B({13})));
  ExpectRejected<EReadError>(prop("Letter", Cat({B({6, 2}), Str("ab")})), "One character");
  ExpectRejected<EReadError>(prop("Values", B({2, 1})), "List expected");
}

TEST_F(BadInput, EventsBindOnlyToHandlersOfTheRootWithTheRightShape) {
  auto prop = [&](std::string_view handler) {
    return Cat({Header("TTestForm", "F"), B({6}), Str("OnPing"), B({7, static_cast<int>(handler.size())}),
                Str(handler), B({0, 0})});
  };
  ExpectRejected<EReadError>(prop("Missing"), "no handler named Missing");
  ExpectRejected<EReadError>(prop("WrongShape"), "does not fit");
}

TEST_F(BadInput, UnresolvedOrMistypedReferencesAreRefused) {
  ExpectRejected<EReadError>(Cat({Header("TTestForm", "F"), B({5}), Str("Buddy"), B({7, 4}), Str("Nope"), B({0, 0})}),
                             "component Nope not found");
}

TEST_F(BadInput, DuplicateAndInvalidComponentNamesAreRefused) {
  const Bytes child = Cat({B({8}), Str("TTestBox"), B({1}), Str("A"), B({0, 0})});
  ExpectRejected<EReadError>(Cat({Header("TTestForm", "F"), B({0}), child, child, B({0})}), "twice");
  ExpectRejected<EReadError>(Cat({Header("TTestForm", "F"), B({0}), B({8}), Str("TTestBox"), B({2}), Str("1x"), B({0, 0, 0})}),
                             "not a valid component name");
}

TEST_F(BadInput, NestingBeyondTheLimitIsRefused) {
  Bytes deep = Header("TTestForm", "F");
  deep.push_back(0);
  for (int i = 0; i < 300; ++i) deep = Cat({deep, B({8}), Str("TTestBox"), B({0}), B({0})});
  for (int i = 0; i < 302; ++i) deep.push_back(0);
  ExpectRejected<EReadError>(deep, "nested deeper");

  Bytes lists = Cat({Header("TTestForm", "F"), B({6}), Str("Values")});
  for (int i = 0; i < 300; ++i) lists.push_back(1);
  TMemoryStream text_in(lists);
  TMemoryStream text_out;
  EXPECT_THROW(ObjectBinaryToText(text_in, text_out), EReadError);
}

TEST_F(BadInput, ReadingIntoAnExistingRootFreesOnlyWhatTheReadCreated) {
  TTestForm target(nullptr);
  auto* mine = new TTestBox(&target);
  mine->SetName("Mine");
  const Bytes bytes = Cat({Header("TTestForm", "F"), B({0}), B({8}), Str("TTestBox"), B({1}), Str("New"), B({0, 0}),
                           B({8}), Str("TTestBox"), B({1}), Str("Bad"), B({5}), Str("Bogus"), B({8, 0, 0, 0})});
  TMemoryStream in(bytes);
  EXPECT_THROW(TReader(in).ReadRootComponent(&target), EReadError);
  EXPECT_EQ(target.ComponentCount(), 1);
  EXPECT_EQ(target.Components(0), mine);
  EXPECT_FALSE(target.ComponentState().Contains(csLoading));
  EXPECT_FALSE(target.ComponentState().Contains(csReading));
}

TEST_F(BadInput, RootOfAnotherClassIsRefused) {
  TTestBox box(nullptr);
  TMemoryStream in(Cat({Header("TTestForm", "F"), B({0, 0})}));
  EXPECT_THROW(TReader(in).ReadRootComponent(&box), EReadError);
}

TEST_F(BadInput, BinaryToTextRefusesWhatItsTextCouldNotSayBack) {
  auto convert = [](const Bytes& b) {
    TMemoryStream in(b);
    TMemoryStream out;
    ObjectBinaryToText(in, out);
  };
  // An identifier spelt like a constant, a property named like a keyword, a class name that
  // is no identifier: the text would read back as something else.
  EXPECT_THROW(convert(Cat({Header("TTestForm", "F"), B({1}), Str("P"), B({7, 5}), Str("false"), B({0, 0})})), EReadError);
  EXPECT_THROW(convert(Cat({Header("TTestForm", "F"), B({3}), Str("end"), B({2, 1}), B({0, 0})})), EReadError);
  EXPECT_THROW(convert(Cat({Header("T Form", "F"), B({0, 0})})), EReadError);
  // Writing an identifier spelt like a constant gives the constant, in any case.
  EXPECT_EQ(Written([](TWriter& w) { w.WriteIdent("FALSE"); }), B({8}));
}

TEST_F(BadInput, TextParserReportsTheLineOfTheError) {
  auto fails = [&](const std::string& text, const std::string& fragment) {
    try {
      FormBytes(text);
      ADD_FAILURE() << "no exception for " << text;
    } catch (const EParserError& e) {
      EXPECT_NE(e.Message().find(fragment), std::string::npos) << e.Message();
    }
  };
  fails("object F: TTestForm\n  Caption = 'open\nend\n", "Unterminated string on line 2");
  fails("object F: TTestForm\n  Count =\n ]\nend\n", "Property value expected but ']' found on line 3");
  fails("object F: TTestForm\n  Count = 99999999999999999999\nend\n", "Integer out of range: 99999999999999999999 on line 2");
  fails("object F: TTestForm\n  Count = 9007199254740993\nend\n", "Integer 9007199254740993 has no exact value in the stream");
  fails("object F: TTestForm\n  object B: TTestBox [4294967296]\n  end\nend\n", "Integer out of range: 4294967296 on line 2");
  fails("thing F: TTestForm\nend\n", "'object' expected but 'thing' found on line 1");
  fails("object F: TTestForm\n  Blob = {0A0}\nend\n", "Odd number");
  fails("object F: TTestForm\n  S = #70000\nend\n", "Invalid character code #70000");
  fails("object F: TTestForm\n", "'end' expected");
  fails("object F: TTestForm\nend\nextra", "End of text expected but 'extra' found on line 3");
  std::string deep = "object F: TTestForm\n  V = ";
  for (int i = 0; i < 300; ++i) deep += "(";
  fails(deep, "Nested deeper");
}

}  // namespace
}  // namespace vantor
