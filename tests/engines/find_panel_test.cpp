// The find panel's searches, on both kinds of table: the walk, the keyed seeks, find
// next, not found, and the clean-up after a failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <vantor/engines/find_panel.h>
#include <vantor/engines/find_record.h>
#include <vantor/engines/register_engines.h>
#include <vantor/platform/ui/form.h>
#include "engines/support/harness.h"
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/rtl/string_table.h>
#include "support/form_stream.h"

namespace vantor::engines_test {
namespace {

template <typename Backend>
class FindPanel : public ::testing::Test {
 protected:
  // A panel that searches only when asked (UpdateState usNone).
  std::unique_ptr<Harness<TDBFindPanel, Backend>> Make(const std::string& index, TFindOptions options = foFast) {
    auto h = std::make_unique<Harness<TDBFindPanel, Backend>>(index);
    h->panel->SetUpdateState(usNone);
    h->panel->SetFindOptions(options);
    h->panel->SetShowBox(true);
    return h;
  }
  // Ids found by Locate from the first record on, then by find next until nothing more.
  static Ids FindAll(Harness<TDBFindPanel, Backend>& h) {
    Ids found;
    h.panel->SetRestart(true);
    while (h.panel->Locate()) {
      found.push_back(CurrentId(*h.table));
      h.panel->SetRestart(false);
      if (found.size() > kContactRows) break;  // a loop would be a failure of its own
    }
    return found;
  }
};
TYPED_TEST_SUITE(FindPanel, Backends, BackendName);

// ---- walking (no usable key) ----

TYPED_TEST(FindPanel, NormalFindNextVisitsEveryMatchOnceInOrder) {
  auto h = this->Make("", foNormal);
  h->One("name", Variant("sm"), ctInternal);
  EXPECT_EQ(this->FindAll(*h), (Ids{1, 2, 3, 4, 5, 13}));
  // The last search found nothing more: the data set stays on the last match, and the
  // message says that the following record is missing.
  EXPECT_EQ(CurrentId(*h->table), 13);
  EXPECT_EQ(h->Messages(), std::vector<std::string>{LoadStr(SNextRecordNotFound)});
}

TYPED_TEST(FindPanel, NotFoundReturnsToTheStartRecordWithTheMessage) {
  auto h = this->Make("", foNormal);
  h->GoTo(6);
  h->One("name", Variant("Nobody"), ctExact);
  EXPECT_FALSE(h->panel->Locate());
  EXPECT_EQ(CurrentId(*h->table), 6);
  EXPECT_EQ(h->Messages(), std::vector<std::string>{"The record is not found"});
  EXPECT_FALSE(h->table->ControlsDisabled());
}

TYPED_TEST(FindPanel, WithoutShowBoxNothingIsShown) {
  auto h = this->Make("", foNormal);
  h->panel->SetShowBox(false);
  h->One("name", Variant("Nobody"), ctExact);
  EXPECT_FALSE(h->panel->Locate());
  EXPECT_TRUE(h->Messages().empty());
}

TYPED_TEST(FindPanel, FastWithoutAnIndexWalksAndTestsEveryField) {
  auto h = this->Make("");
  h->panel->BeginUpdate();
  h->One("city", Variant("Paris"), ctExact);
  h->Two("amount", Variant(15), Variant::Null());
  h->panel->EndUpdate();
  EXPECT_EQ(this->FindAll(*h), (Ids{3, 8}));
}

TYPED_TEST(FindPanel, InactiveLinkFindsNothingAndSaysNothing) {
  auto h = this->Make("", foNormal);
  h->One("name", Variant("Bob"), ctExact);
  h->table->Close();
  EXPECT_FALSE(h->panel->Locate());
  EXPECT_TRUE(h->Messages().empty());
}

TYPED_TEST(FindPanel, AutoUpdateSearchesAtEveryValueChange) {
  auto h = this->Make("by_name");
  h->panel->SetUpdateState(usAuto);
  h->Record("name")->SetCompare(ctInitial);
  h->Record("name")->SetValues(0, Variant("B"));
  EXPECT_EQ(CurrentId(*h->table), 7);  // Baker
  h->Record("name")->SetValues(0, Variant("Bo"));
  EXPECT_EQ(CurrentId(*h->table), 8);  // Bob
  h->Record("name")->SetValues(0, Variant("Smi"));
  EXPECT_EQ(CurrentId(*h->table), 1);  // Smith, the first of the band (added first)
}

// ---- keyed seeks ----

TYPED_TEST(FindPanel, FastPrefixSeeksAndStopsAtTheFirstKeyWithoutIt) {
  auto h = this->Make("by_name");
  h->One("name", Variant("Smi"), ctInitial);
  int moves = 0;
  h->table->AfterScroll = [&moves](TDataSet*) { ++moves; };
  h->GoTo(6);
  moves = 0;
  ASSERT_TRUE(h->panel->Locate());
  EXPECT_EQ(CurrentId(*h->table), 1);
  // One seek plus the settling on the found record: no walk over the records before it.
  EXPECT_LE(moves, 2);
  // Order of by_name: ... Goldsmith, Smith, smith, SMITH (one key, in the order of
  // adding), Smithers, Smyth.
  h->panel->SetRestart(false);
  EXPECT_TRUE(h->panel->Locate());
  EXPECT_EQ(CurrentId(*h->table), 2);
  EXPECT_TRUE(h->panel->Locate());
  EXPECT_EQ(CurrentId(*h->table), 3);
  EXPECT_TRUE(h->panel->Locate());
  EXPECT_EQ(CurrentId(*h->table), 5);
  moves = 0;
  EXPECT_FALSE(h->panel->Locate());  // Smyth has no "Smi"
  EXPECT_EQ(CurrentId(*h->table), 5);
  // One step to Smyth, where the key part fails, then back to the start record.
  EXPECT_LE(moves, 3);
}

TYPED_TEST(FindPanel, FastRangeOnAnAscendingKeyWalksTheRangeOnly) {
  auto h = this->Make("by_amount");
  h->panel->BeginUpdate();
  h->Two("amount", Variant(10), Variant(20));
  h->One("city", Variant("Paris"), ctExact);
  h->panel->EndUpdate();
  // by_amount: null, 5, 9, 10, 12, 14, 15, 18, 20(3), 20(12), 21, 25, 30
  EXPECT_EQ(this->FindAll(*h), (Ids{11, 8, 3}));
}

TYPED_TEST(FindPanel, FastRangeOnADescendingKeySeeksTheUpperBound) {
  auto h = this->Make("by_amount_desc");
  h->panel->BeginUpdate();
  h->Two("amount", Variant(10), Variant(20));
  h->One("city", Variant("Paris"), ctExact);
  h->panel->EndUpdate();
  ASSERT_TRUE(h->panel->DataSetIndex()->GetItem(0)->Descending);
  // by_amount_desc: 30, 25, 21, 20(3), 20(12), 18, 15, 14, 12, 10, 9, 5, null
  EXPECT_EQ(this->FindAll(*h), (Ids{3, 8, 11}));
}

TYPED_TEST(FindPanel, DescendingRangeOpenAtTheTopStartsAtTheGreatestValue) {
  auto h = this->Make("by_amount_desc");
  h->Two("amount", Variant(20), Variant::Null());
  EXPECT_EQ(this->FindAll(*h), (Ids{9, 7, 4, 3, 12}));
}

TYPED_TEST(FindPanel, DescendingTextPrefixIsPaddedToLandBeforeTheGroup) {
  auto h = this->Make("by_name_desc");
  // The index is case-sensitive, so is the criterion: the key part can seek.
  h->One("name", Variant("Smi"), ctInitial, false);
  // by_name_desc (bytes): smith, Smyth, Smithers, Smith, SMITH, Goldsmith, ...
  EXPECT_EQ(this->FindAll(*h), (Ids{5, 1}));
}

TYPED_TEST(FindPanel, CaseSensitiveValueOnACaseFreeIndexSeeksTheBand) {
  auto h = this->Make("by_name");
  h->One("name", Variant("Smith"), ctExact, false);
  int key_no = -2, index_field_no = -2;
  h->panel->ValuesChanged();  // applies the values (and searches)
  h->panel->IndexFieldCheck(index_field_no, key_no);
  EXPECT_EQ(index_field_no, -1);
  EXPECT_EQ(key_no, 0);
  EXPECT_EQ(this->FindAll(*h), (Ids{1}));
  h->Record("name")->SetValues(0, Variant("smith"));
  EXPECT_EQ(this->FindAll(*h), (Ids{2}));
  h->Record("name")->SetValues(0, Variant("SMITH"));
  EXPECT_EQ(this->FindAll(*h), (Ids{3}));
}

TYPED_TEST(FindPanel, FindNextFromBeforeTheBandSeeksForward) {
  auto h = this->Make("by_name");
  h->One("name", Variant("smith"), ctExact, false);
  h->table->First();  // Adams, far before the band
  h->panel->SetRestart(false);
  ASSERT_TRUE(h->panel->Locate());
  EXPECT_EQ(CurrentId(*h->table), 2);
}

TYPED_TEST(FindPanel, IndexExactUsesOnlyKeyFieldsAndTheIndexCaseRule) {
  auto h = this->Make("by_name", foIndexExact);
  h->panel->BeginUpdate();
  h->Record("name")->SetValues(0, Variant("smith"));
  h->One("city", Variant("Rome"), ctExact);  // not a key field: ignored
  h->panel->EndUpdate();
  TFieldRecord* name = h->Record("name");
  EXPECT_EQ(name->GetCompare(), ctExact);
  EXPECT_EQ(name->GetCount(), coOne);
  EXPECT_TRUE(name->GetCaseInsensitive());
  EXPECT_EQ(h->panel->CountState(h->Record("city")), coNone);
  EXPECT_EQ(this->FindAll(*h), (Ids{1, 2, 3}));
}

TYPED_TEST(FindPanel, IndexExactWithAMissingKeyStaysAndSaysSo) {
  auto h = this->Make("by_name", foIndexExact);
  h->One("name", Variant("Smit"), ctExact);
  h->GoTo(9);
  EXPECT_FALSE(h->panel->Locate());
  EXPECT_EQ(CurrentId(*h->table), 9);
  EXPECT_EQ(h->Messages(), std::vector<std::string>{"The record is not found"});
}

TYPED_TEST(FindPanel, IndexNearestStopsWhereTheSeekLands) {
  auto h = this->Make("by_name", foIndexNearest);
  h->One("name", Variant("Bz"), ctExact);
  ASSERT_TRUE(h->panel->Locate());
  EXPECT_EQ(CurrentId(*h->table), 12);  // D: the first name not below "bz"
  h->Record("name")->SetValues(0, Variant("Smy"));
  ASSERT_TRUE(h->panel->Locate());
  EXPECT_EQ(CurrentId(*h->table), 13);
}

TYPED_TEST(FindPanel, KeyRecordSetAgainstTheIndexLeavesIndexMode) {
  auto h = this->Make("by_city_name", foIndexExact);
  TFieldRecord* name = h->Record("name");  // the second key field
  name->SetCompare(ctInitial);             // against the index: back to foFast
  EXPECT_EQ(h->panel->GetFindOptions(), foFast);
  h->panel->SetFindOptions(foIndexExact);
  EXPECT_EQ(name->GetCompare(), ctExact);  // imposed again
  EXPECT_EQ(name->GetCount(), coOne);
  name->SetCaseInsensitive(false);  // agrees with the case-sensitive index
  EXPECT_EQ(h->panel->GetFindOptions(), foIndexExact);
  name->SetCount(coTwo);
  EXPECT_EQ(h->panel->GetFindOptions(), foFast);
  EXPECT_EQ(name->GetCount(), coTwo);  // its own setting once out of index mode
  EXPECT_EQ(name->GetCompare(), ctInitial);
  EXPECT_EQ(name->GetDisplayName(), "name");
}

// ---- failures ----

TYPED_TEST(FindPanel, ExceptionInTheWalkRestoresEverythingAndPassesThrough) {
  auto h = this->Make("", foNormal);
  h->panel->SetChangeCursor(true);
  h->One("name", Variant("Nobody"), ctExact);
  h->GoTo(6);
  int moves = 0;
  h->table->AfterScroll = [&moves](TDataSet*) {
    if (++moves == 4) throw EDatabaseError("disk gone");
  };
  Screen->ClearCursorLog();
  EXPECT_THROW(h->panel->Locate(), EDatabaseError);
  EXPECT_FALSE(h->table->ControlsDisabled());
  EXPECT_EQ(Screen->Cursor(), crDefault);
  EXPECT_EQ(Screen->CursorLog(), (std::vector<TCursor>{crHourGlass, crDefault}));
  h->table->AfterScroll = nullptr;
  // The data set is usable and was re-read; the bookmark of the start was released,
  // so a fresh one can be taken and used.
  EXPECT_NO_THROW(VisibleIds(*h->table));
  EXPECT_TRUE(h->Messages().empty());
}

TEST(FindPanelClass, PublishesItsOwnPropertiesThenTheHostPanelsInOrder) {
  RegisterEngineClasses();
  std::vector<std::string> names;
  for (const PropInfo* p : FindClass("TDBFindPanel").Properties()) names.push_back(p->name);
  const auto own = std::find(names.begin(), names.end(), "OnEditButtonClick");
  ASSERT_NE(own, names.end());
  const std::vector<std::string> expected = {
      "OnEditButtonClick", "ShowBox", "FindOptions", "DataSetIndex", "BevelInner", "BevelOuter",
      "BevelWidth", "BorderWidth", "BorderStyle", "Enabled", "Locked", "ParentShowHint",
      "PopupMenu", "ShowHint", "TabOrder", "TabStop", "Visible", "OnClick", "OnDblClick", "OnEnter",
      "OnExit", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnResize"};
  EXPECT_EQ(std::vector<std::string>(own, names.end()), expected);
}

TEST(FindPanelClass, RepublishedHostPanelPropertiesTravelThroughTheFormStream) {
  RegisterEngineClasses();
  TForm form(nullptr);
  form.SetName("Form1");
  auto* panel = new TDBFindPanel(&form);
  panel->SetName("FindPanel1");
  panel->SetParent(&form);
  panel->SetBevelOuter(bvLowered);
  panel->SetBorderWidth(5);
  panel->SetTabOrder(0);
  panel->SetVisible(false);
  panel->SetShowBox(true);
  auto* plain = new TDBFindPanel(&form);
  plain->SetName("FindPanel2");
  plain->SetParent(&form);
  const std::vector<std::uint8_t> out = testing_support::WriteForm(form);

  TForm copy(nullptr);
  testing_support::ReadForm(out, copy);
  auto* loaded = dynamic_cast<TDBFindPanel*>(copy.FindComponent("FindPanel1"));
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->BevelOuter(), bvLowered);
  EXPECT_EQ(loaded->BorderWidth(), 5);
  EXPECT_FALSE(loaded->Visible());
  EXPECT_TRUE(loaded->GetShowBox());
  auto* loaded_plain = dynamic_cast<TDBFindPanel*>(copy.FindComponent("FindPanel2"));
  ASSERT_NE(loaded_plain, nullptr);
  EXPECT_EQ(loaded_plain->BorderWidth(), 2);
  EXPECT_EQ(loaded_plain->BevelOuter(), bvRaised);
  EXPECT_TRUE(loaded_plain->Visible());
  // The panel's inner box and measuring label are its own parts, never streamed.
  const std::string bytes(out.begin(), out.end());
  EXPECT_EQ(bytes.find("TScrollingFieldsSet"), std::string::npos);
  EXPECT_EQ(bytes.find("TLabel"), std::string::npos);
}

}  // namespace
}  // namespace vantor::engines_test
