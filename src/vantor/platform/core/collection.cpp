#include <vantor/platform/core/collection.h>

#include <algorithm>

#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

namespace {

[[noreturn]] void IndexError(int index) {
  throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace

// ---- TCollectionItem ----

const TypeInfo& TCollectionItem::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TCollectionItem>("TCollectionItem", &TPersistent::StaticType()).Build();
  return info;
}

TCollectionItem::TCollectionItem(TCollection* collection) {
  if (collection != nullptr) collection->InsertItem(this);
}

TCollectionItem::~TCollectionItem() {
  if (collection_ == nullptr) return;
  TCollection* from = collection_;
  from->RemoveItem(this);
  from->Changed();
}

void TCollectionItem::SetCollection(TCollection* collection) {
  if (collection == collection_) return;
  if (collection != nullptr && !ClassType().InheritsFrom(collection->ItemClass())) {
    throw EInvalidCast("Cannot add a " + ClassName() + " to a collection of " +
                       collection->ItemClass().Name());
  }
  if (TCollection* from = collection_) {
    from->RemoveItem(this);
    from->Changed();
  }
  if (collection != nullptr) {
    collection->InsertItem(this);
    collection->Changed();
  }
}

int TCollectionItem::Index() const {
  if (collection_ == nullptr) return -1;
  const auto& list = collection_->items_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TCollectionItem::SetIndex(int index) {
  const int current = Index();
  if (current < 0 || current == index) return;
  auto& list = collection_->items_;
  if (index < 0 || index >= static_cast<int>(list.size())) IndexError(index);
  list.erase(list.begin() + current);
  list.insert(list.begin() + index, this);
  Changed(true);
}

std::string TCollectionItem::GetDisplayName() const { return ClassName(); }

void TCollectionItem::SetDisplayName(const std::string& /*name*/) { Changed(false); }

TPersistent* TCollectionItem::GetOwner() const { return collection_; }

std::string TCollectionItem::GetNamePath() const {
  if (collection_ == nullptr) return ClassName();
  return collection_->GetNamePath() + "[" + std::to_string(Index()) + "]";
}

void TCollectionItem::Changed(bool all_items) {
  if (collection_ == nullptr || collection_->update_count_ != 0) return;
  collection_->Update(all_items ? nullptr : this);
}

// ---- TCollection ----

const TypeInfo& TCollection::StaticType() {
  static const TypeInfo info =
      TypeBuilder<TCollection>("TCollection", &TPersistent::StaticType()).Build();
  return info;
}

TCollection::TCollection(TPersistent* owner, const TypeInfo& item_class)
    : owner_(owner), item_class_(&item_class) {}

TCollection::~TCollection() {
  // No change reports while the items go: the derived collection that would hear them
  // is already gone.
  update_count_ = 1;
  while (!items_.empty()) delete items_.back();
}

TCollectionItem* TCollection::Items(int index) const {
  CheckIndex(index);
  return items_[static_cast<std::size_t>(index)];
}

TCollectionItem* TCollection::FindItemID(std::int32_t id) const {
  for (TCollectionItem* item : items_) {
    if (item->id_ == id) return item;
  }
  return nullptr;
}

TCollectionItem* TCollection::Add() {
  const auto& create = item_class_->CreateItem();
  if (!create) {
    throw EInvalidOperation("Class " + item_class_->Name() + " cannot be created as a collection item");
  }
  TCollectionItem* item = create(this);
  Changed();
  return item;
}

TCollectionItem* TCollection::Insert(int index) {
  if (index < 0 || index > Count()) IndexError(index);
  UpdateGuard<TCollection> guard(*this);
  TCollectionItem* item = Add();
  item->SetIndex(index);
  return item;
}

void TCollection::Delete(int index) {
  CheckIndex(index);
  delete items_[static_cast<std::size_t>(index)];
}

void TCollection::Clear() {
  if (items_.empty()) return;
  UpdateGuard<TCollection> guard(*this);
  while (!items_.empty()) delete items_.back();
}

void TCollection::EndUpdate() {
  if (update_count_ > 0) --update_count_;
  Changed();
}

void TCollection::Changed() {
  if (update_count_ == 0) Update(nullptr);
}

void TCollection::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TCollection*>(source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  UpdateGuard<TCollection> guard(*this);
  Clear();
  for (TCollectionItem* item : other->items_) Add()->Assign(item);
}

std::string TCollection::GetNamePath() const {
  if (owner_ == nullptr) return ClassName();
  const std::string owner_path = owner_->GetNamePath();
  if (owner_path.empty()) return ClassName();
  for (const PropInfo* p : owner_->ClassType().Properties()) {
    if (p->kind == TPropKind::Collection && p->get_object(*owner_) == this) {
      return owner_path + "." + p->name;
    }
  }
  return ClassName();
}

void TCollection::Update(TCollectionItem* /*item*/) {}

void TCollection::SetItemName(TCollectionItem* /*item*/) {}

void TCollection::InsertItem(TCollectionItem* item) {
  items_.push_back(item);
  item->collection_ = this;
  item->id_ = next_id_++;
  SetItemName(item);
}

void TCollection::RemoveItem(TCollectionItem* item) {
  items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
  item->collection_ = nullptr;
}

void TCollection::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) IndexError(index);
}

}  // namespace vantor
