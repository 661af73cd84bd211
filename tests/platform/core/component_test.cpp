#include <vantor/platform/core/component.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <vantor/platform/rtl/exceptions.h>

namespace vantor {
namespace {

// Logs what it is told, so ownership and notification order can be checked.
class TProbe : public TComponent {
 public:
  TProbe(TComponent* owner, std::vector<std::string>* log, std::string tag = "")
      : TComponent(owner), log_(log), tag_(std::move(tag)) {}
  ~TProbe() override {
    if (log_ != nullptr) log_->push_back("free " + tag_);
  }
  void Notification(TComponent* c, TOperation op) override {
    if (log_ != nullptr) {
      const auto* p = dynamic_cast<TProbe*>(c);
      log_->push_back(tag_ + (op == opInsert ? " +" : " -") + (p != nullptr ? p->tag_ : c->Name()));
    }
    if (op == opRemove && c == watched) watched = nullptr;
    TComponent::Notification(c, op);  // then the owned components hear it
  }
  void ValidateInsert(TComponent* c) override {
    if (refuse && c != nullptr) throw EComponentError("refused " + c->Name());
  }
  TComponent* watched = nullptr;
  bool refuse = false;

 private:
  std::vector<std::string>* log_;
  std::string tag_;
};

TEST(ComponentNames, NamesMustBeIdentifiersAndUniqueWithinTheOwner) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  a->SetName("Edit1");
  EXPECT_THROW(b->SetName("edit1"), EComponentError);  // case-insensitive
  try {
    b->SetName("1x");
    FAIL();
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), "'1x' is not a valid component name");
  }
  b->SetName("_Edit_2");
  EXPECT_EQ(owner.FindComponent("EDIT1"), a);
  EXPECT_EQ(owner.FindComponent("nothing"), nullptr);
  b->SetName("");  // the empty name is always allowed
  EXPECT_EQ(owner.FindComponent(""), nullptr);
  EXPECT_TRUE(IsValidIdent("a1_"));
  EXPECT_FALSE(IsValidIdent("a-b"));
  EXPECT_FALSE(IsValidIdent(""));
}

TEST(ComponentNames, AnOwnedComponentMayChangeTheCaseOfItsOwnName) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  a->SetName("Edit1");
  b->SetName("Edit2");
  a->SetName("EDIT1");
  EXPECT_EQ(a->Name(), "EDIT1");
  EXPECT_EQ(owner.FindComponent("edit1"), a);
  EXPECT_THROW(a->SetName("edit2"), EComponentError) << "another component's name in another case";
  EXPECT_EQ(a->Name(), "EDIT1");
}

TEST(ComponentOwnership, ComponentsAreNumberedFromZeroToTheCountLessOne) {
  TComponent owner(nullptr);
  EXPECT_THROW(owner.Components(0), EListError) << "none yet";
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  EXPECT_EQ(owner.Components(0), a);
  EXPECT_EQ(owner.Components(1), b);
  EXPECT_THROW(owner.Components(2), EListError);
  EXPECT_THROW(owner.Components(-1), EListError);
}

TEST(ComponentOwnership, OwnedComponentsKeepCreationOrderAndTheirIndex) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  auto* c = new TComponent(&owner);
  ASSERT_EQ(owner.ComponentCount(), 3);
  EXPECT_EQ(owner.Components(0), a);
  EXPECT_EQ(owner.Components(2), c);
  EXPECT_EQ(b->ComponentIndex(), 1);
  EXPECT_EQ(b->Owner(), &owner);
  EXPECT_EQ(owner.ComponentIndex(), -1);
  EXPECT_THROW(owner.Components(3), EListError);
  delete b;
  EXPECT_EQ(owner.ComponentCount(), 2);
  EXPECT_EQ(c->ComponentIndex(), 1);
}

TEST(ComponentOwnership, OwnerFreesOwnedComponentsLastCreatedFirst) {
  std::vector<std::string> log;
  {
    TProbe owner(nullptr, &log, "owner");
    new TProbe(&owner, &log, "a");
    new TProbe(&owner, &log, "b");
    new TProbe(&owner, &log, "c");
    log.clear();
  }
  ASSERT_GE(log.size(), 4u);
  std::vector<std::string> frees;
  for (const auto& l : log) {
    if (l.rfind("free", 0) == 0) frees.push_back(l);
  }
  EXPECT_EQ(frees, (std::vector<std::string>{"free owner", "free c", "free b", "free a"}));
}

TEST(ComponentOwnership, InsertAndRemoveMoveOwnershipAndNotifyTheOwnersTree) {
  std::vector<std::string> log;
  TProbe first(nullptr, &log, "first");
  TProbe second(nullptr, &log, "second");
  auto* sibling = new TProbe(&second, &log, "sibling");
  auto* moved = new TProbe(&first, &log, "moved");
  log.clear();
  second.InsertComponent(moved);
  EXPECT_EQ(moved->Owner(), &second);
  EXPECT_EQ(first.ComponentCount(), 0);
  // The old owner hears the removal, the new one and its owned components the insertion.
  EXPECT_EQ(log, (std::vector<std::string>{"first -moved", "moved -moved", "second +moved", "sibling +moved",
                                           "moved +moved"}));
  log.clear();
  second.RemoveComponent(moved);
  EXPECT_EQ(moved->Owner(), nullptr);
  EXPECT_EQ(log.front(), "second -moved");
  delete moved;
  (void)sibling;
}

TEST(ComponentOwnership, ValidateInsertCanRefuseAComponent) {
  TProbe owner(nullptr, nullptr);
  owner.refuse = true;
  TComponent loose(nullptr);
  loose.SetName("Loose");
  EXPECT_THROW(owner.InsertComponent(&loose), EComponentError);
  EXPECT_EQ(loose.Owner(), nullptr);
  EXPECT_EQ(owner.ComponentCount(), 0);
}

TEST(ComponentOwnership, InsertingADuplicateNameIsRefused) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  a->SetName("X");
  TComponent b(nullptr);
  b.SetName("x");
  EXPECT_THROW(owner.InsertComponent(&b), EComponentError);
  EXPECT_EQ(b.Owner(), nullptr);
}

TEST(ComponentNotification, FreeNotificationTellsEveryLinkedComponentWhicheverGoesFirst) {
  std::vector<std::string> log;
  auto* holder1 = new TProbe(nullptr, &log, "h1");
  auto* holder2 = new TProbe(nullptr, &log, "h2");
  auto* target = new TProbe(nullptr, &log, "t");
  holder1->watched = target;
  holder2->watched = target;
  holder1->FreeNotification(target);
  target->FreeNotification(holder2);  // the link is mutual: either side may ask
  delete target;
  EXPECT_EQ(holder1->watched, nullptr);
  EXPECT_EQ(holder2->watched, nullptr);
  // The other way round: the holder goes first, the target must not call it later.
  auto* target2 = new TProbe(nullptr, &log, "t2");
  holder1->FreeNotification(target2);
  delete holder1;
  log.clear();
  delete target2;
  EXPECT_EQ(log, (std::vector<std::string>{"free t2"}));
  delete holder2;
}

TEST(ComponentNotification, RemoveFreeNotificationUnlinks) {
  std::vector<std::string> log;
  TProbe holder(nullptr, &log, "h");
  auto* target = new TProbe(nullptr, &log, "t");
  holder.FreeNotification(target);
  holder.RemoveFreeNotification(target);
  log.clear();
  delete target;
  EXPECT_EQ(log, (std::vector<std::string>{"free t"}));
}

TEST(ComponentState, DesigningSpreadsToOwnedComponentsAndLoadedClearsLoading) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  owner.SetDesigning(true);
  EXPECT_TRUE(a->ComponentState().Contains(csDesigning));
  auto* late = new TComponent(&owner);  // inserted later: designing too
  EXPECT_TRUE(late->ComponentState().Contains(csDesigning));
  owner.IncludeState(csLoading);
  owner.Loaded();
  EXPECT_FALSE(owner.ComponentState().Contains(csLoading));
  owner.Destroying();
  EXPECT_TRUE(a->ComponentState().Contains(csDestroying));
}

struct TSeenDestroying : TComponent {
  using TComponent::TComponent;
  ~TSeenDestroying() override { flagged = ComponentState().Contains(csDestroying); }
  static inline bool flagged = false;
};

TEST(ComponentState, DestroyingIsSetWhileOwnedComponentsAreFreed) {
  {
    TComponent owner(nullptr);
    new TSeenDestroying(&owner);
  }
  EXPECT_TRUE(TSeenDestroying::flagged);
}

TEST(ComponentMethods, MethodTableFindsHandlersByName) {
  TComponent form(nullptr);
  int calls = 0;
  form.RegisterMethod("bbOkClick", std::function<void(TComponent*)>([&](TComponent*) { ++calls; }));
  const std::any* m = form.FindMethod("bbOkClick");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(form.FindMethod("nothing"), nullptr);
  Event<TComponent*> ev;
  EXPECT_TRUE(ev.Bind("bbOkClick", *m));
  ev(&form);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(form.MethodName(ev), "bbOkClick");
  Event<int> other;
  EXPECT_FALSE(other.Bind("bbOkClick", *m));
  EXPECT_FALSE(other.Assigned());
}

// ---- TPersistent ----

class TPoint2 : public TPersistent {
 public:
  static const TypeInfo& StaticType() {
    static const TypeInfo info = TypeBuilder<TPoint2>("TPoint2", &TPersistent::StaticType())
                                     .Property("X", &TPoint2::X, &TPoint2::SetX, 0)
                                     .Property("Y", &TPoint2::Y, &TPoint2::SetY, 0)
                                     .Build();
    return info;
  }
  const TypeInfo& ClassType() const override { return StaticType(); }
  int X() const { return x; }
  void SetX(int v) { x = v; }
  int Y() const { return y; }
  void SetY(int v) { y = v; }
  void Assign(const TPersistent* source) override {
    if (const auto* p = dynamic_cast<const TPoint2*>(source)) {
      x = p->x;
      y = p->y;
      return;
    }
    TPersistent::Assign(source);
  }
  int x = 0;
  int y = 0;

 protected:
  // A point knows how to fill a size (AssignTo: the source side does the work).
  void AssignTo(TPersistent& dest) const override;
};

class TSize2 : public TPoint2 {
 public:
  static const TypeInfo& StaticType() {
    static const TypeInfo info = TypeBuilder<TSize2>("TSize2", &TPoint2::StaticType())
                                     .Property("x", &TSize2::X, &TSize2::SetX, 5)  // redeclared
                                     .Property("Depth", &TSize2::Y, &TSize2::SetY)
                                     .Build();
    return info;
  }
  const TypeInfo& ClassType() const override { return StaticType(); }
};

class TLabelText : public TPersistent {
 public:
  std::string text;
};

void TPoint2::AssignTo(TPersistent& dest) const {
  if (auto* t = dynamic_cast<TLabelText*>(&dest)) {
    t->text = std::to_string(x) + "," + std::to_string(y);
    return;
  }
  TPersistent::AssignTo(dest);
}

TEST(Persistent, AssignCopiesOrAsksTheSourceOrRaisesTheAssignmentError) {
  TPoint2 a;
  a.x = 3;
  a.y = 4;
  TPoint2 b;
  b.Assign(&a);
  EXPECT_EQ(b.x, 3);
  TLabelText t;
  t.Assign(&a);  // TLabelText knows nothing of points: TPoint2::AssignTo fills it
  EXPECT_EQ(t.text, "3,4");
  try {
    a.Assign(&t);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TPersistent to a TPoint2");
  }
  try {
    a.Assign(nullptr);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a nil to a TPoint2");
  }
}

TEST(TypeInfoProperties, LookupIsCaseInsensitiveAndFollowsInheritance) {
  const TypeInfo& size = TSize2::StaticType();
  EXPECT_TRUE(size.InheritsFrom(TPoint2::StaticType()));
  EXPECT_TRUE(size.InheritsFrom(TPersistent::StaticType()));
  EXPECT_FALSE(TPoint2::StaticType().InheritsFrom(size));
  const PropInfo* y = size.FindProperty("y");
  ASSERT_NE(y, nullptr);
  EXPECT_EQ(y->name, "Y");
  EXPECT_EQ(size.FindProperty("X")->default_ordinal, 5);  // the redeclaration wins
  EXPECT_EQ(size.FindProperty("nothing"), nullptr);
  std::vector<std::string> names;
  for (const PropInfo* p : size.Properties()) names.push_back(p->name);
  EXPECT_EQ(names, (std::vector<std::string>{"x", "Y", "Depth"}));
  TSize2 s;
  s.SetX(5);
  EXPECT_TRUE(size.FindProperty("X")->IsDefault(s));
  s.SetX(6);
  EXPECT_FALSE(size.FindProperty("X")->IsDefault(s));
  EXPECT_EQ(size.FindProperty("Depth")->kind, TPropKind::Integer);
  EXPECT_FALSE(size.FindProperty("Depth")->IsReadOnly());
}

TEST(ClassRegistry, RegisteredClassesAreFoundByNameCaseInsensitively) {
  RegisterClass(TPoint2::StaticType());
  EXPECT_EQ(&FindClass("TPoint2"), &TPoint2::StaticType());
  EXPECT_EQ(GetClass("tpoint2"), &TPoint2::StaticType());
  EXPECT_EQ(GetClass("TNeverRegistered"), nullptr);
  try {
    FindClass("TNeverRegistered");
    FAIL();
  } catch (const EClassNotFound& e) {
    EXPECT_EQ(e.Message(), "Class TNeverRegistered not found");
  }
}

}  // namespace
}  // namespace vantor
