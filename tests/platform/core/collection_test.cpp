#include <vantor/platform/core/collection.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <vantor/platform/core/component.h>
#include <vantor/platform/rtl/exceptions.h>

namespace vantor {
namespace {

class TNoteItem : public TCollectionItem {
 public:
  explicit TNoteItem(TCollection* c) : TCollectionItem(c) {}
  static const TypeInfo& StaticType() {
    static const TypeInfo info = TypeBuilder<TNoteItem>("TNoteItem", &TCollectionItem::StaticType())
                                     .Item()
                                     .Property("Text", &TNoteItem::Text, &TNoteItem::SetText)
                                     .Build();
    return info;
  }
  const TypeInfo& ClassType() const override { return StaticType(); }

  const std::string& Text() const { return text_; }
  void SetText(const std::string& t) {
    if (t == text_) return;
    text_ = t;
    Changed(false);
  }
  std::string GetDisplayName() const override { return text_.empty() ? ClassName() : text_; }
  void Assign(const TPersistent* source) override {
    if (const auto* n = dynamic_cast<const TNoteItem*>(source)) {
      SetText(n->text_);
      return;
    }
    TCollectionItem::Assign(source);
  }

 private:
  std::string text_;
};

// Records every Update call: the item passed, or null for the whole collection.
class TNotes : public TCollection {
 public:
  explicit TNotes(TPersistent* owner) : TCollection(owner, TNoteItem::StaticType()) {}
  ~TNotes() override { Clear(); }
  TNoteItem* Note(int i) const { return static_cast<TNoteItem*>(Items(i)); }
  std::vector<TCollectionItem*> updates;

 protected:
  void Update(TCollectionItem* item) override { updates.push_back(item); }
};

class TNoteBoard : public TComponent {
 public:
  explicit TNoteBoard(TComponent* owner) : TComponent(owner), notes_(this) {}
  static const TypeInfo& StaticType() {
    static const TypeInfo info = TypeBuilder<TNoteBoard>("TNoteBoard", &TComponent::StaticType())
                                     .Component()
                                     .Property("Notes", &TNoteBoard::Notes)
                                     .Build();
    return info;
  }
  const TypeInfo& ClassType() const override { return StaticType(); }
  TNotes* Notes() const { return &notes_; }

 private:
  mutable TNotes notes_;
};

TEST(Collection, AddAppendsItemsOfTheItemClassAndReportsEachAddition) {
  TNotes notes(nullptr);
  TCollectionItem* a = notes.Add();
  TCollectionItem* b = notes.Add();
  EXPECT_EQ(notes.Count(), 2);
  EXPECT_EQ(a->ClassName(), "TNoteItem");
  EXPECT_EQ(notes.Items(0), a);
  EXPECT_EQ(notes.Items(1), b);
  EXPECT_EQ(a->Collection(), &notes);
  EXPECT_EQ(b->Index(), 1);
  EXPECT_EQ(notes.updates, (std::vector<TCollectionItem*>{nullptr, nullptr}));
}

TEST(Collection, ItemsOutsideTheListRaiseListIndexError) {
  TNotes notes(nullptr);
  notes.Add();
  try {
    notes.Items(1);
    FAIL() << "no exception";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (1)");
  }
  EXPECT_THROW(notes.Items(-1), EListError);
  EXPECT_THROW(notes.Delete(3), EListError);
  EXPECT_THROW(notes.Insert(2), EListError);
  EXPECT_EQ(notes.Count(), 1);
}

TEST(Collection, InsertPlacesTheNewItemAndReportsOnce) {
  TNotes notes(nullptr);
  notes.Add();
  notes.Add();
  notes.updates.clear();
  TCollectionItem* mid = notes.Insert(1);
  EXPECT_EQ(mid->Index(), 1);
  EXPECT_EQ(notes.Count(), 3);
  EXPECT_EQ(notes.updates, (std::vector<TCollectionItem*>{nullptr}));
}

TEST(Collection, InsertTakesEveryPositionFromTheFirstToOnePastTheLast) {
  TNotes notes(nullptr);
  auto* only = static_cast<TNoteItem*>(notes.Insert(0));  // into the empty collection
  only->SetText("b");
  ASSERT_EQ(notes.Count(), 1);
  static_cast<TNoteItem*>(notes.Insert(notes.Count()))->SetText("d");  // after the last
  static_cast<TNoteItem*>(notes.Insert(0))->SetText("a");
  static_cast<TNoteItem*>(notes.Insert(2))->SetText("c");
  static_cast<TNoteItem*>(notes.Insert(notes.Count()))->SetText("e");
  std::string order;
  for (int i = 0; i < notes.Count(); ++i) {
    order += notes.Note(i)->Text();
    EXPECT_EQ(notes.Items(i)->Index(), i);
  }
  EXPECT_EQ(order, "abcde");
  EXPECT_THROW(notes.Insert(-1), EListError);
  EXPECT_THROW(notes.Insert(notes.Count() + 1), EListError);
  EXPECT_EQ(notes.Count(), 5) << "a refused insert adds nothing";
}

TEST(Collection, TheLastIndexIsAnItemAndTheCountIsNone) {
  TNotes notes(nullptr);
  for (const char* t : {"a", "b", "c"}) static_cast<TNoteItem*>(notes.Add())->SetText(t);
  EXPECT_EQ(notes.Note(2)->Text(), "c");
  EXPECT_THROW(notes.Items(3), EListError);
  EXPECT_THROW(notes.Delete(3), EListError);
  EXPECT_THROW(notes.Delete(-1), EListError);
  EXPECT_EQ(notes.Count(), 3);
  // Moving to the last place and to the first works; one past either end raises and moves nothing.
  notes.Note(0)->SetIndex(2);
  EXPECT_EQ(notes.Note(2)->Text(), "a");
  notes.Note(2)->SetIndex(0);
  EXPECT_EQ(notes.Note(0)->Text(), "a");
  EXPECT_THROW(notes.Note(1)->SetIndex(3), EListError);
  EXPECT_THROW(notes.Note(1)->SetIndex(-1), EListError);
  EXPECT_EQ(notes.Note(0)->Text() + notes.Note(1)->Text() + notes.Note(2)->Text(), "abc");
  notes.Delete(2);
  EXPECT_EQ(notes.Count(), 2);
  EXPECT_EQ(notes.Note(1)->Text(), "b");
}

TEST(Collection, DeleteAndItemDestructionTakeTheItemOut) {
  TNotes notes(nullptr);
  TNoteItem* a = static_cast<TNoteItem*>(notes.Add());
  TNoteItem* b = static_cast<TNoteItem*>(notes.Add());
  notes.Add();
  notes.updates.clear();
  notes.Delete(2);
  EXPECT_EQ(notes.Count(), 2);
  delete a;  // an item freed by its user leaves the collection
  EXPECT_EQ(notes.Count(), 1);
  EXPECT_EQ(notes.Items(0), b);
  EXPECT_EQ(b->Index(), 0);
  EXPECT_EQ(notes.updates.size(), 2u);
}

TEST(Collection, ClearFreesEveryItemWithOneReport) {
  TNotes notes(nullptr);
  for (int i = 0; i < 4; ++i) notes.Add();
  notes.updates.clear();
  notes.Clear();
  EXPECT_EQ(notes.Count(), 0);
  EXPECT_EQ(notes.updates.size(), 1u);
  notes.Clear();  // nothing to clear: no report
  EXPECT_EQ(notes.updates.size(), 1u);
}

TEST(CollectionUpdate, ChangesInsideBracketsAreFoldedIntoOneUpdateAtTheOutermostEnd) {
  TNotes notes(nullptr);
  TNoteItem* a = static_cast<TNoteItem*>(notes.Add());
  notes.updates.clear();
  notes.BeginUpdate();
  notes.BeginUpdate();
  EXPECT_EQ(notes.UpdateCount(), 2);
  a->SetText("x");
  notes.Add();
  notes.Changed();
  EXPECT_TRUE(notes.updates.empty());
  notes.EndUpdate();
  EXPECT_TRUE(notes.updates.empty());
  notes.EndUpdate();
  EXPECT_EQ(notes.UpdateCount(), 0);
  EXPECT_EQ(notes.updates, (std::vector<TCollectionItem*>{nullptr}));
}

TEST(CollectionUpdate, ItemChangedReportsTheItemOrTheWholeCollection) {
  TNotes notes(nullptr);
  TNoteItem* a = static_cast<TNoteItem*>(notes.Add());
  notes.Add();
  notes.updates.clear();
  a->SetText("hello");
  EXPECT_EQ(notes.updates, (std::vector<TCollectionItem*>{a}));
  a->SetIndex(1);  // moving affects every item's index
  EXPECT_EQ(notes.updates.back(), nullptr);
  EXPECT_EQ(a->Index(), 1);
  EXPECT_THROW(a->SetIndex(2), EListError);
  EXPECT_EQ(a->Index(), 1);
}

TEST(CollectionUpdate, GuardClosesTheBracketWhenAnErrorLeavesTheBlock) {
  TNotes notes(nullptr);
  try {
    UpdateGuard<TCollection> guard(notes);
    notes.Add();
    notes.Items(7);
  } catch (const EListError&) {
  }
  EXPECT_EQ(notes.UpdateCount(), 0);
  EXPECT_EQ(notes.updates, (std::vector<TCollectionItem*>{nullptr}));
}

TEST(Collection, AssignMakesItemsOfTheTargetClassAndCopiesEach) {
  TNotes from(nullptr);
  static_cast<TNoteItem*>(from.Add())->SetText("one");
  static_cast<TNoteItem*>(from.Add())->SetText("two");
  TNotes to(nullptr);
  to.Add();
  to.Add();
  to.Add();
  to.updates.clear();
  to.Assign(&from);
  ASSERT_EQ(to.Count(), 2);
  EXPECT_EQ(to.Note(0)->Text(), "one");
  EXPECT_EQ(to.Note(1)->Text(), "two");
  EXPECT_NE(to.Items(0), from.Items(0));
  EXPECT_EQ(to.updates, (std::vector<TCollectionItem*>{nullptr}));
}

TEST(Collection, AssignToItselfKeepsEveryItem) {
  TNotes notes(nullptr);
  static_cast<TNoteItem*>(notes.Add())->SetText("one");
  static_cast<TNoteItem*>(notes.Add())->SetText("two");
  TCollectionItem* first = notes.Items(0);
  notes.updates.clear();
  notes.Assign(&notes);
  ASSERT_EQ(notes.Count(), 2);
  EXPECT_EQ(notes.Items(0), first) << "the same items, not copies";
  EXPECT_EQ(notes.Note(0)->Text(), "one");
  EXPECT_EQ(notes.Note(1)->Text(), "two");
  EXPECT_TRUE(notes.updates.empty()) << "nothing changed, nothing reported";
}

TEST(Collection, AssignFromSomethingElseRaisesTheAssignmentError) {
  TNotes notes(nullptr);
  TComponent other(nullptr);
  try {
    notes.Assign(&other);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TComponent to a TCollection");
  }
}

TEST(CollectionItem, IdsAreUniqueAndNeverReused) {
  TNotes notes(nullptr);
  TCollectionItem* a = notes.Add();
  TCollectionItem* b = notes.Add();
  EXPECT_EQ(a->ID(), 0);
  EXPECT_EQ(b->ID(), 1);
  notes.Delete(1);
  EXPECT_EQ(notes.Add()->ID(), 2);
  EXPECT_EQ(notes.FindItemID(0), a);
  EXPECT_EQ(notes.FindItemID(1), nullptr);
}

TEST(CollectionItem, SetCollectionMovesTheItemBetweenCollections) {
  TNotes a(nullptr);
  TNotes b(nullptr);
  TCollectionItem* item = a.Add();
  a.updates.clear();
  item->SetCollection(&b);
  EXPECT_EQ(a.Count(), 0);
  EXPECT_EQ(b.Count(), 1);
  EXPECT_EQ(item->Collection(), &b);
  EXPECT_EQ(a.updates.size(), 1u);
  EXPECT_EQ(b.updates.size(), 1u);
  item->SetCollection(nullptr);
  EXPECT_EQ(b.Count(), 0);
  EXPECT_EQ(item->Index(), -1);
  delete item;  // the caller owns an item taken out of every collection
}

TEST(CollectionItem, SetCollectionRefusesAnItemOfAnotherClass) {
  TCollection plain(nullptr, TCollectionItem::StaticType());
  TNotes notes(nullptr);
  TCollectionItem* item = new TCollectionItem(&plain);
  EXPECT_THROW(item->SetCollection(&notes), EInvalidCast);
  EXPECT_EQ(item->Collection(), &plain);
}

TEST(CollectionItem, NamePathsFollowTheOwnerAndItsProperty) {
  TNoteBoard board(nullptr);
  board.SetName("Board1");
  TCollectionItem* item = board.Notes()->Add();
  board.Notes()->Add();
  EXPECT_EQ(board.Notes()->GetOwner(), &board);
  EXPECT_EQ(board.Notes()->GetNamePath(), "Board1.Notes");
  EXPECT_EQ(board.Notes()->Items(1)->GetNamePath(), "Board1.Notes[1]");
  EXPECT_EQ(item->GetOwner(), board.Notes());

  TNotes loose(nullptr);  // no owner: just the class name
  EXPECT_EQ(loose.GetNamePath(), "TCollection");
  TCollectionItem orphan(nullptr);
  EXPECT_EQ(orphan.GetNamePath(), "TCollectionItem");
}

TEST(CollectionItem, DisplayNameComesFromTheVirtualGetter) {
  TNotes notes(nullptr);
  auto* n = static_cast<TNoteItem*>(notes.Add());
  EXPECT_EQ(n->DisplayName(), "TNoteItem");
  n->SetText("Customer");
  EXPECT_EQ(n->DisplayName(), "Customer");
}

TEST(Collection, AddRefusesAnItemClassThatCannotBeCreated) {
  TCollection plain(nullptr, TCollectionItem::StaticType());
  EXPECT_THROW(plain.Add(), EInvalidOperation);
  EXPECT_EQ(plain.Count(), 0);
}

}  // namespace
}  // namespace vantor
