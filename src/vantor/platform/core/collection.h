#pragma once
// TCollection and TCollectionItem: an owned, ordered list of persistent items of one
// class, published as one property and streamed as a list of items (a panel's Fields).

#include <cstdint>
#include <string>
#include <vector>

#include <vantor/platform/core/persistent.h>
#include <vantor/platform/core/update_guard.h>

namespace vantor {

class TCollection;

// One item of a collection. Constructing an item with a collection appends it to that
// collection; destroying it takes it out again. Items are owned by their collection.
class TCollectionItem : public TPersistent {
 public:
  // Appends the item to `collection` (if any) without reporting a change: the derived
  // parts of the item do not exist yet, so Update must not see it. TCollection::Add
  // reports the change once the item is complete; code that constructs items directly
  // calls the collection's Changed() when it wants Update to run.
  explicit TCollectionItem(TCollection* collection);
  ~TCollectionItem() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  TCollection* Collection() const { return collection_; }
  // Moves the item from its collection to another one (or to none: the caller then owns
  // it); both collections report the change. EInvalidCast when the item is not of the
  // new collection's item class.
  void SetCollection(TCollection* collection);
  // Position in the collection, -1 without one.
  int Index() const;
  // Moves the item to position `index` and reports Changed(true); EListError when `index`
  // is not a position of the collection.
  virtual void SetIndex(int index);
  // A number unique within the collection, given in order of insertion; never reused.
  std::int32_t ID() const { return id_; }

  // The text the designer shows for the item; the default is the class name.
  std::string DisplayName() const { return GetDisplayName(); }
  virtual std::string GetDisplayName() const;
  virtual void SetDisplayName(const std::string& name);

  TPersistent* GetOwner() const override;
  // "Panel1.Fields[0]", or the class name for an item outside any collection.
  std::string GetNamePath() const override;

 protected:
  // Reports a change to the collection (its Update(this), or Update(null) with
  // `all_items`), unless the collection is inside an update bracket.
  void Changed(bool all_items);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  std::int32_t id_ = 0;
};

// The items of a collection as their class T, for range-for; adding or freeing items
// while it is in use invalidates it.
template <typename T>
class TCollectionItems {
 public:
  using Base = std::vector<TCollectionItem*>::const_iterator;
  class Iterator {
   public:
    explicit Iterator(Base at) : at_(at) {}
    T* operator*() const { return static_cast<T*>(*at_); }
    Iterator& operator++() {
      ++at_;
      return *this;
    }
    bool operator==(const Iterator&) const = default;

   private:
    Base at_;
  };

  TCollectionItems(Base first, Base last) : first_(first), last_(last) {}
  Iterator begin() const { return Iterator(first_); }
  Iterator end() const { return Iterator(last_); }

 private:
  Base first_, last_;
};

// The ordered list of items. Items are created through the item class's TypeInfo (which
// must be built with .Item()), so the form reader and Assign can make new ones.
class TCollection : public TPersistent {
 public:
  // `owner` names and finds the collection (GetOwner, GetNamePath); it is not owned.
  TCollection(TPersistent* owner, const TypeInfo& item_class);
  ~TCollection() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  const TypeInfo& ItemClass() const { return *item_class_; }
  int Count() const { return static_cast<int>(items_.size()); }
  // EListError "List index out of bounds (N)" outside 0..Count-1.
  TCollectionItem* Items(int index) const;
  // The item with that ID, or null.
  TCollectionItem* FindItemID(std::int32_t id) const;
  // The items in order as their class T (which the item class must be or derive from),
  // for range-for; adding or freeing items meanwhile invalidates it.
  template <typename T>
  TCollectionItems<T> ItemsAs() const {
    return {items_.cbegin(), items_.cend()};
  }

  // Creates an item of the item class at the end, then reports the change.
  TCollectionItem* Add();
  // Creates an item at `index` (0..Count); the change is reported once.
  TCollectionItem* Insert(int index);
  // Frees the item at `index`.
  void Delete(int index);
  // Frees every item, last first, with one change report at the end.
  void Clear();

  // Change brackets: while the update count is above 0 no change reaches Update;
  // EndUpdate that closes the last bracket reports one change for the whole batch.
  void BeginUpdate() { ++update_count_; }
  void EndUpdate();
  int UpdateCount() const { return update_count_; }
  // Calls Update(null) once the update count is 0.
  void Changed();

  // Clears this collection and gives it one item of its own item class per item of a
  // source collection, each assigned from the source item, inside one update bracket.
  void Assign(const TPersistent* source) override;

  TPersistent* GetOwner() const override { return owner_; }
  // The owner's path and the name of the owner's property that holds this collection
  // ("Panel1.Fields"); the class name when there is no owner or no such property.
  std::string GetNamePath() const override;

 protected:
  // Something changed: `item` alone, or (null) the collection as a whole. Descendants
  // override it to react; the default does nothing.
  virtual void Update(TCollectionItem* item);
  // Gives a newly inserted item its name where a descendant wants one; the default does nothing.
  virtual void SetItemName(TCollectionItem* item);

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);
  void CheckIndex(int index) const;

  TPersistent* owner_;
  const TypeInfo* item_class_;
  std::vector<TCollectionItem*> items_;
  int update_count_ = 0;
  std::int32_t next_id_ = 0;
};

}  // namespace vantor
