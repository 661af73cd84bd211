#pragma once
// The registrations that packages make when a designer loads them: components on the
// palette pages, property editors by property type, class and name, component editors
// by class. A designer asks it which editor serves a property or a component; a
// registration made for a class also serves its descendants, and the registration for
// the nearest class wins.
//
// One registry is current for the process (a designer host loads its packages into it);
// TScopedDesignRegistry puts a fresh one in place for a scope, so that a host or a test
// starts from nothing and leaves the previous registrations as they were.

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/core/type_info.h>
#include <vantor/platform/design/component_editor.h>
#include <vantor/platform/design/property_editor.h>

namespace vantor {

// The type of a property, as editors are registered for it: a kind, and for
// sub-objects and collections the class (its descendants included).
struct TPropertyType {
  TPropKind kind = TPropKind::String;
  const TypeInfo* class_type = nullptr;

  static TPropertyType String() { return {TPropKind::String, nullptr}; }
  static TPropertyType Class(const TypeInfo& info) { return {TPropKind::Object, &info}; }
  // Whether a property of `prop` holding `instance`'s value is of this type.
  bool Matches(const PropInfo& prop, const TPersistent& instance) const;
};

// A property editor class: its name and how to make one.
struct TPropertyEditorClass {
  using Factory = std::function<std::unique_ptr<TPropertyEditor>(
      TFormDesigner&, std::vector<TPersistent*>, const PropInfo&)>;
  std::string name;
  Factory create;
};
template <typename E>
TPropertyEditorClass PropertyEditorClass(std::string name) {
  return {std::move(name), [](TFormDesigner& d, std::vector<TPersistent*> s, const PropInfo& p) {
            return std::unique_ptr<TPropertyEditor>(std::make_unique<E>(d, std::move(s), p));
          }};
}

// A component editor class: its name and how to make one.
struct TComponentEditorClass {
  using Factory = std::function<std::unique_ptr<TComponentEditor>(TComponent*, TFormDesigner&)>;
  std::string name;
  Factory create;
};
template <typename E>
TComponentEditorClass ComponentEditorClass(std::string name) {
  return {std::move(name), [](TComponent* c, TFormDesigner& d) {
            return std::unique_ptr<TComponentEditor>(std::make_unique<E>(c, d));
          }};
}

// What a designer looks up: the palette pages, and the property and component editors
// registered for classes (descendants inherit them).
class TDesignRegistry {
 public:
  // Adds the classes at the end of the palette page (made on first use) and registers
  // them by name for the form stream. A class already on the page stays where it is.
  void RegisterComponents(const std::string& page, std::initializer_list<const TypeInfo*> classes);
  // `component_class` null: any class; `property_name` empty: any property of the type.
  void RegisterPropertyEditor(TPropertyType type, const TypeInfo* component_class,
                              std::string property_name, TPropertyEditorClass editor);
  void RegisterComponentEditor(const TypeInfo& component_class, TComponentEditorClass editor);

  // Page names in order of first registration; the classes of one page in order.
  std::vector<std::string> PalettePages() const;
  std::vector<const TypeInfo*> PaletteClasses(std::string_view page) const;
  // The palette class of that name (case-insensitive), or null: only these can be dropped.
  const TypeInfo* FindPaletteClass(std::string_view name) const;

  // The registered editor for property `prop` of `instance`, or null (use the kind's
  // default). Of the registrations that fit, the one for the nearest class wins, then
  // one naming the property, then the later one.
  const TPropertyEditorClass* FindPropertyEditor(const PropInfo& prop, const TPersistent& instance) const;
  // The registered editor of the nearest class of `info`, the later on a tie; or null.
  const TComponentEditorClass* FindComponentEditor(const TypeInfo& info) const;

  // The registry in use by the free functions below.
  static TDesignRegistry& Current();

 private:
  friend class TScopedDesignRegistry;
  struct Page {
    std::string name;
    std::vector<const TypeInfo*> classes;
  };
  struct PropertyRegistration {
    TPropertyType type;
    const TypeInfo* component_class;
    std::string property_name;
    TPropertyEditorClass editor;
  };
  struct ComponentRegistration {
    const TypeInfo* component_class;
    TComponentEditorClass editor;
  };
  std::vector<Page> pages_;
  std::vector<PropertyRegistration> property_editors_;
  std::vector<ComponentRegistration> component_editors_;
  static TDesignRegistry* current_;
};

// Makes a fresh registry current for its lifetime; the previous one comes back after.
class TScopedDesignRegistry {
 public:
  TScopedDesignRegistry();
  TScopedDesignRegistry(const TScopedDesignRegistry&) = delete;
  TScopedDesignRegistry& operator=(const TScopedDesignRegistry&) = delete;
  ~TScopedDesignRegistry();
  TDesignRegistry& Registry() { return registry_; }

 private:
  TDesignRegistry registry_;
  TDesignRegistry* previous_;
};

// The host's registration interface, on the current registry.
void RegisterComponents(const std::string& page, std::initializer_list<const TypeInfo*> classes);
void RegisterPropertyEditor(TPropertyType type, const TypeInfo* component_class,
                            std::string property_name, TPropertyEditorClass editor);
void RegisterComponentEditor(const TypeInfo& component_class, TComponentEditorClass editor);

// The editor of property `prop` for the selected objects: the registered one, else the
// default of its kind.
std::unique_ptr<TPropertyEditor> GetPropertyEditor(TFormDesigner& designer,
                                                   std::vector<TPersistent*> selection,
                                                   const PropInfo& prop);
// The editors of the published properties that every selected object has, in the first
// object's order; with several objects, only editors that allow it (paMultiSelect).
std::vector<std::unique_ptr<TPropertyEditor>> GetComponentProperties(
    TFormDesigner& designer, const std::vector<TPersistent*>& selection);
// The editor of a component: the registered one, else the plain TComponentEditor.
std::unique_ptr<TComponentEditor> GetComponentEditor(TComponent* component, TFormDesigner& designer);

}  // namespace vantor
