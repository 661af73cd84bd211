#pragma once
// Published properties. Each class describes itself once, in a static TypeInfo:
// its name, its parent's description, how to create it, and its published
// properties in declaration order. That one description drives the form stream,
// the designer's property editors and class registration.
//
// A class declares
//     static const TypeInfo& StaticType();
//     const TypeInfo& ClassType() const override { return StaticType(); }
// and defines StaticType() with a builder, one line per property:
//     const TypeInfo& TLabel::StaticType() {
//       static const TypeInfo info = TypeBuilder<TLabel>("TLabel", &TGraphicControl::StaticType())
//           .Component()                                            // creatable by name
//           .Property("AutoSize", &TLabel::GetAutoSize, &TLabel::SetAutoSize, true)
//           .Property("Caption", &TLabel::GetCaption, &TLabel::SetCaption)
//           .Property("Font", &TLabel::GetFont, &TLabel::SetFont)   // sub-object
//           .Event("OnClick", &TLabel::OnClick)
//           .Build();
//       return info;
//     }
// The property kind follows from the getter's type: bool, char32_t (a character),
// other integers, an enumeration with EnumNames<E>, Set<E>, std::string, double,
// a pointer to a TCollection (collection), to a TComponent (reference by name) or
// to another TPersistent (sub-object written as dotted names).

#include <array>
#include <cstdint>
#include <algorithm>
#include <climits>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include <vantor/platform/core/event.h>
#include <vantor/platform/rtl/enum_names.h>
#include <vantor/platform/rtl/set.h>

namespace vantor {

class TPersistent;
class TComponent;
class TCollection;
class TCollectionItem;
class TypeInfo;

enum class TPropKind : std::uint8_t {
  Integer,
  Boolean,
  Char,
  Enum,
  Set,
  String,
  Float,
  Object,      // owned sub-object, written as dotted property names
  Collection,  // TCollection, written as a list of items
  Component,   // reference to another component, written by name
  Event,       // method pointer, written by handler name
};

// One published property. Accessors are type-erased per kind; only those of the
// property's kind are set. Ordinal kinds (Integer, Boolean, Char, Enum, Set) travel
// as int64_t (a set as its bit mask).
struct PropInfo {
  std::string name;
  TPropKind kind = TPropKind::Integer;

  std::function<std::int64_t(const TPersistent&)> get_ordinal;
  std::function<void(TPersistent&, std::int64_t)> set_ordinal;
  std::function<std::string(const TPersistent&)> get_string;
  std::function<void(TPersistent&, const std::string&)> set_string;
  std::function<double(const TPersistent&)> get_float;
  std::function<void(TPersistent&, double)> set_float;
  std::function<TPersistent*(const TPersistent&)> get_object;  // Object, Collection
  std::function<TComponent*(const TPersistent&)> get_component;
  std::function<void(TPersistent&, TComponent*)> set_component;
  // Component references: whether a component is of the class the property holds.
  std::function<bool(const TComponent*)> accepts_component;
  std::function<EventBase*(TPersistent&)> get_event;

  // Whether the value goes to the form stream at all (empty: always).
  std::function<bool(const TPersistent&)> stored;

  // Default value: a property equal to its default is not written. Ordinals without
  // a default are always written; strings default to "" and floats to 0 unless given.
  bool has_default = false;
  std::int64_t default_ordinal = 0;
  std::string default_string;
  double default_float = 0;

  // Enumerations and sets: the value names in ordinal order. Integers: bounds.
  std::span<const std::string_view> names;
  std::int64_t min_value = INT32_MIN;
  std::int64_t max_value = INT32_MAX;
  // Integers that have names for some values (colours: clBtnFace): the stream writes the
  // name when there is one and reads either form. Both empty for plain integers.
  std::function<std::optional<std::int64_t>(std::string_view)> ident_to_int;
  std::function<std::optional<std::string>(std::int64_t)> int_to_ident;

  bool IsStored(const TPersistent& instance) const { return !stored || stored(instance); }
  // True when the instance holds the default (so the writer skips the property).
  bool IsDefault(const TPersistent& instance) const;
  bool IsReadOnly() const;
};

// The description of one class: its name, parent, factory and published properties.
class TypeInfo {
 public:
  using ComponentFactory = std::function<TComponent*(TComponent* owner)>;
  using ItemFactory = std::function<TCollectionItem*(TCollection* collection)>;

  const std::string& Name() const { return name_; }
  const TypeInfo* Parent() const { return parent_; }
  // True for this class and every class derived from `base`.
  bool InheritsFrom(const TypeInfo& base) const;
  // The property declared by this class or an ancestor (nearest first); null when absent.
  // Names compare case-insensitively, as the host's do.
  const PropInfo* FindProperty(std::string_view name) const;
  // All published properties, ancestors' first, each name once (a redeclaration in a
  // descendant replaces the ancestor's in place).
  std::vector<const PropInfo*> Properties() const;
  const std::vector<PropInfo>& OwnProperties() const { return props_; }

  const ComponentFactory& CreateComponent() const { return create_component_; }
  const ItemFactory& CreateItem() const { return create_item_; }

 private:
  template <typename C>
  friend class TypeBuilder;

  std::string name_;
  const TypeInfo* parent_ = nullptr;
  std::vector<PropInfo> props_;
  ComponentFactory create_component_;
  ItemFactory create_item_;
};

namespace type_info_detail {
template <typename T>
struct IsSet : std::false_type {};
template <typename E>
struct IsSet<Set<E>> : std::true_type {
  using Enum = E;
};
template <typename T>
using Bare = std::remove_cvref_t<T>;
}  // namespace type_info_detail

// Builds a TypeInfo for class C. See the header comment for the shape of use.
template <typename C>
class TypeBuilder {
 public:
  TypeBuilder(std::string name, const TypeInfo* parent) {
    info_.name_ = std::move(name);
    info_.parent_ = parent;
  }

  // C can be created by name with an owner (components).
  TypeBuilder& Component() {
    info_.create_component_ = [](TComponent* owner) -> TComponent* { return new C(owner); };
    return *this;
  }
  // C can be created by name as an item of a collection.
  TypeBuilder& Item() {
    info_.create_item_ = [](TCollection* c) -> TCollectionItem* { return new C(c); };
    return *this;
  }

  // A property with a getter and a setter (or no setter for sub-objects and collections).
  template <typename R, typename G, typename S = std::nullptr_t>
  TypeBuilder& Property(std::string name, R (G::*getter)() const, S setter = nullptr) {
    PropInfo p = Make<R>(std::move(name), getter, setter);
    info_.props_.push_back(std::move(p));
    return *this;
  }
  // A property with a default; the writer skips it while it holds the default.
  template <typename R, typename G, typename S, typename D>
  TypeBuilder& Property(std::string name, R (G::*getter)() const, S setter, D default_value) {
    PropInfo p = Make<R>(std::move(name), getter, setter);
    SetDefault<type_info_detail::Bare<R>>(p, default_value);
    info_.props_.push_back(std::move(p));
    return *this;
  }
  // An indexed accessor pair (GetCount(Index) / SetCount(Index, Value)) published as one name.
  template <typename R, typename G, typename S>
  TypeBuilder& Indexed(std::string name, int index, R (G::*getter)(int) const, S setter) {
    auto g = [getter, index](const C& c) -> R { return (c.*getter)(index); };
    auto s = [setter, index](C& c, type_info_detail::Bare<R> v) { (c.*setter)(index, v); };
    PropInfo p = MakeFrom<type_info_detail::Bare<R>>(std::move(name), g, s);
    info_.props_.push_back(std::move(p));
    return *this;
  }
  template <typename R, typename G, typename S, typename D>
  TypeBuilder& Indexed(std::string name, int index, R (G::*getter)(int) const, S setter,
                       D default_value) {
    Indexed(std::move(name), index, getter, setter);
    SetDefault<type_info_detail::Bare<R>>(info_.props_.back(), default_value);
    return *this;
  }
  // The stored predicate of the property added last.
  template <typename P>
  TypeBuilder& Stored(P predicate) {
    info_.props_.back().stored = [predicate](const TPersistent& t) {
      return (static_cast<const C&>(t).*predicate)();
    };
    return *this;
  }
  // A stored predicate that is an indexed member (IsCaptionStored(Index)).
  template <typename P>
  TypeBuilder& StoredIndexed(P predicate, int index) {
    info_.props_.back().stored = [predicate, index](const TPersistent& t) {
      return (static_cast<const C&>(t).*predicate)(index);
    };
    return *this;
  }
  // Bounds of an integer property (checked by the reader and the designer).
  TypeBuilder& Range(std::int64_t lo, std::int64_t hi) {
    info_.props_.back().min_value = lo;
    info_.props_.back().max_value = hi;
    return *this;
  }
  // Names for values of the integer property added last (see PropInfo::ident_to_int).
  TypeBuilder& Idents(std::function<std::optional<std::int64_t>(std::string_view)> to_int,
                      std::function<std::optional<std::string>(std::int64_t)> to_ident) {
    info_.props_.back().ident_to_int = std::move(to_int);
    info_.props_.back().int_to_ident = std::move(to_ident);
    return *this;
  }
  // An event: a public Event<...> data member of C (or of a base of C).
  template <typename B, typename... A>
  TypeBuilder& Event(std::string name, vantor::Event<A...> B::*member) {
    PropInfo p;
    p.name = std::move(name);
    p.kind = TPropKind::Event;
    p.get_event = [member](TPersistent& t) -> EventBase* { return &(static_cast<C&>(t).*member); };
    info_.props_.push_back(std::move(p));
    return *this;
  }

  // An event that another object keeps, reached through an accessor of C (a component
  // that publishes the events of an object it owns): `E& (C::*)()`.
  template <typename B, typename... A>
  TypeBuilder& EventVia(std::string name, vantor::Event<A...>& (B::*accessor)()) {
    PropInfo p;
    p.name = std::move(name);
    p.kind = TPropKind::Event;
    p.get_event = [accessor](TPersistent& t) -> EventBase* { return &(static_cast<C&>(t).*accessor)(); };
    info_.props_.push_back(std::move(p));
    return *this;
  }

  TypeInfo Build() { return std::move(info_); }

 private:
  template <typename R, typename G, typename S>
  static PropInfo Make(std::string name, R (G::*getter)() const, S setter) {
    using V = type_info_detail::Bare<R>;
    auto g = [getter](const C& c) -> R { return (c.*getter)(); };
    if constexpr (std::is_same_v<S, std::nullptr_t>) {
      return MakeFrom<V>(std::move(name), g, nullptr);
    } else {
      auto s = [setter](C& c, const V& v) { (c.*setter)(v); };
      return MakeFrom<V>(std::move(name), g, s);
    }
  }

  template <typename V, typename Get, typename Put>
  static PropInfo MakeFrom(std::string name, Get g, Put s) {
    constexpr bool kHasSetter = !std::is_same_v<Put, std::nullptr_t>;
    PropInfo p;
    p.name = std::move(name);
    if constexpr (std::is_pointer_v<V>) {
      using T = std::remove_cv_t<std::remove_pointer_t<V>>;
      if constexpr (std::is_base_of_v<TCollection, T>) {
        p.kind = TPropKind::Collection;
        p.get_object = [g](const TPersistent& t) -> TPersistent* {
          return g(static_cast<const C&>(t));
        };
      } else if constexpr (std::is_base_of_v<TComponent, T>) {
        p.kind = TPropKind::Component;
        p.get_component = [g](const TPersistent& t) -> TComponent* {
          return g(static_cast<const C&>(t));
        };
        p.accepts_component = [](const TComponent* c) {
          return c != nullptr && dynamic_cast<const T*>(c) != nullptr;
        };
        if constexpr (kHasSetter) {
          p.set_component = [s](TPersistent& t, TComponent* v) {
            // A reference of the wrong class is refused by the reader before it gets here.
            s(static_cast<C&>(t), static_cast<V>(v));
          };
        }
      } else {
        static_assert(std::is_base_of_v<TPersistent, T>, "pointer properties must be persistent");
        p.kind = TPropKind::Object;
        p.get_object = [g](const TPersistent& t) -> TPersistent* {
          return g(static_cast<const C&>(t));
        };
      }
    } else if constexpr (std::is_same_v<V, bool>) {
      p.kind = TPropKind::Boolean;
      SetOrdinalAccessors<V>(p, g, s);
    } else if constexpr (std::is_same_v<V, char32_t> || std::is_same_v<V, char>) {
      p.kind = TPropKind::Char;
      SetOrdinalAccessors<V>(p, g, s);
    } else if constexpr (std::is_integral_v<V>) {
      p.kind = TPropKind::Integer;
      p.min_value = std::max<std::int64_t>(std::numeric_limits<V>::min(), INT32_MIN);
      p.max_value = std::min<std::int64_t>(std::numeric_limits<V>::max(), INT32_MAX);
      SetOrdinalAccessors<V>(p, g, s);
    } else if constexpr (std::is_enum_v<V>) {
      p.kind = TPropKind::Enum;
      p.names = std::span<const std::string_view>(EnumNames<V>::value);
      SetOrdinalAccessors<V>(p, g, s);
    } else if constexpr (type_info_detail::IsSet<V>::value) {
      using E = typename type_info_detail::IsSet<V>::Enum;
      p.kind = TPropKind::Set;
      p.names = std::span<const std::string_view>(EnumNames<E>::value);
      p.get_ordinal = [g](const TPersistent& t) {
        return static_cast<std::int64_t>(g(static_cast<const C&>(t)).ToMask());
      };
      if constexpr (kHasSetter) {
        p.set_ordinal = [s](TPersistent& t, std::int64_t v) {
          s(static_cast<C&>(t), V::FromMask(static_cast<typename V::Mask>(v)));
        };
      }
    } else if constexpr (std::is_same_v<V, std::string>) {
      p.kind = TPropKind::String;
      p.has_default = true;
      p.get_string = [g](const TPersistent& t) { return std::string(g(static_cast<const C&>(t))); };
      if constexpr (kHasSetter) {
        p.set_string = [s](TPersistent& t, const std::string& v) { s(static_cast<C&>(t), v); };
      }
    } else if constexpr (std::is_floating_point_v<V>) {
      p.kind = TPropKind::Float;
      p.has_default = true;
      p.get_float = [g](const TPersistent& t) {
        return static_cast<double>(g(static_cast<const C&>(t)));
      };
      if constexpr (kHasSetter) {
        p.set_float = [s](TPersistent& t, double v) { s(static_cast<C&>(t), static_cast<V>(v)); };
      }
    } else {
      static_assert(sizeof(V) == 0, "unsupported property type");
    }
    return p;
  }

  template <typename V, typename Get, typename Put>
  static void SetOrdinalAccessors(PropInfo& p, Get g, Put s) {
    p.get_ordinal = [g](const TPersistent& t) {
      return static_cast<std::int64_t>(g(static_cast<const C&>(t)));
    };
    if constexpr (!std::is_same_v<Put, std::nullptr_t>) {
      p.set_ordinal = [s](TPersistent& t, std::int64_t v) {
        s(static_cast<C&>(t), static_cast<V>(v));
      };
    }
  }

  template <typename V, typename D>
  static void SetDefault(PropInfo& p, const D& d) {
    p.has_default = true;
    if constexpr (type_info_detail::IsSet<V>::value) {
      p.default_ordinal = static_cast<std::int64_t>(V(d).ToMask());
    } else if constexpr (std::is_same_v<V, std::string>) {
      p.default_string = std::string(d);
    } else if constexpr (std::is_floating_point_v<V>) {
      p.default_float = static_cast<double>(d);
    } else {
      p.default_ordinal = static_cast<std::int64_t>(static_cast<V>(d));
    }
  }

  TypeInfo info_;
};

// Class registration by name, as the host's RegisterClass / FindClass / GetClass.
void RegisterClass(const TypeInfo& info);
// The registered class of that name; raises EClassNotFound ("Class X not found").
const TypeInfo& FindClass(std::string_view name);
// The registered class of that name, or null.
const TypeInfo* GetClass(std::string_view name);

}  // namespace vantor
