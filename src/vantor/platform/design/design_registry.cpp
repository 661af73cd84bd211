#include <vantor/platform/design/design_registry.h>

#include <climits>

#include <vantor/platform/core/component.h>
#include <vantor/platform/rtl/ansi_strings.h>

namespace vantor {

namespace {

// How many steps up from `info` reach `base`; INT_MAX when `base` is not an ancestor.
int ClassDistance(const TypeInfo& info, const TypeInfo& base) {
  int steps = 0;
  for (const TypeInfo* t = &info; t != nullptr; t = t->Parent(), ++steps) {
    if (t == &base) return steps;
  }
  return INT_MAX;
}

}  // namespace

TDesignRegistry* TDesignRegistry::current_ = nullptr;

bool TPropertyType::Matches(const PropInfo& prop, const TPersistent& instance) const {
  if (class_type == nullptr) return prop.kind == kind;
  if (prop.kind != TPropKind::Object && prop.kind != TPropKind::Collection) return false;
  const TPersistent* value = prop.get_object(instance);
  return value != nullptr && value->InheritsFrom(*class_type);
}

void TDesignRegistry::RegisterComponents(const std::string& page,
                                         std::initializer_list<const TypeInfo*> classes) {
  Page* target = nullptr;
  for (Page& p : pages_) {
    if (AnsiSameText(p.name, page)) target = &p;
  }
  if (target == nullptr) target = &pages_.emplace_back(Page{page, {}});
  for (const TypeInfo* info : classes) {
    if (info == nullptr || !info->CreateComponent()) {
      throw EInvalidOperation("Only components can be registered on the palette");
    }
    RegisterClass(*info);
    if (FindPaletteClass(info->Name()) == nullptr) target->classes.push_back(info);
  }
}

void TDesignRegistry::RegisterPropertyEditor(TPropertyType type, const TypeInfo* component_class,
                                             std::string property_name, TPropertyEditorClass editor) {
  property_editors_.push_back({type, component_class, std::move(property_name), std::move(editor)});
}

void TDesignRegistry::RegisterComponentEditor(const TypeInfo& component_class,
                                              TComponentEditorClass editor) {
  component_editors_.push_back({&component_class, std::move(editor)});
}

std::vector<std::string> TDesignRegistry::PalettePages() const {
  std::vector<std::string> names;
  for (const Page& p : pages_) names.push_back(p.name);
  return names;
}

std::vector<const TypeInfo*> TDesignRegistry::PaletteClasses(std::string_view page) const {
  for (const Page& p : pages_) {
    if (AnsiSameText(p.name, page)) return p.classes;
  }
  return {};
}

const TypeInfo* TDesignRegistry::FindPaletteClass(std::string_view name) const {
  for (const Page& p : pages_) {
    for (const TypeInfo* info : p.classes) {
      if (AnsiSameText(info->Name(), name)) return info;
    }
  }
  return nullptr;
}

const TPropertyEditorClass* TDesignRegistry::FindPropertyEditor(const PropInfo& prop,
                                                                const TPersistent& instance) const {
  const PropertyRegistration* best = nullptr;
  int best_distance = INT_MAX;
  bool best_named = false;
  for (const PropertyRegistration& r : property_editors_) {
    if (!r.type.Matches(prop, instance)) continue;
    if (!r.property_name.empty() && !AnsiSameText(r.property_name, prop.name)) continue;
    // A registration for any class fits every instance, farther than any real ancestor.
    int distance = INT_MAX - 1;
    if (r.component_class != nullptr) {
      distance = ClassDistance(instance.ClassType(), *r.component_class);
      if (distance == INT_MAX) continue;
    }
    const bool named = !r.property_name.empty();
    // Later registrations win ties, hence <= and >=.
    if (distance < best_distance || (distance == best_distance && named >= best_named)) {
      best = &r;
      best_distance = distance;
      best_named = named;
    }
  }
  return best == nullptr ? nullptr : &best->editor;
}

const TComponentEditorClass* TDesignRegistry::FindComponentEditor(const TypeInfo& info) const {
  const ComponentRegistration* best = nullptr;
  int best_distance = INT_MAX;
  for (const ComponentRegistration& r : component_editors_) {
    const int distance = ClassDistance(info, *r.component_class);
    if (distance != INT_MAX && distance <= best_distance) {
      best = &r;
      best_distance = distance;
    }
  }
  return best == nullptr ? nullptr : &best->editor;
}

TDesignRegistry& TDesignRegistry::Current() {
  static TDesignRegistry process_registry;
  return current_ != nullptr ? *current_ : process_registry;
}

TScopedDesignRegistry::TScopedDesignRegistry() : previous_(TDesignRegistry::current_) {
  TDesignRegistry::current_ = &registry_;
}

TScopedDesignRegistry::~TScopedDesignRegistry() { TDesignRegistry::current_ = previous_; }

void RegisterComponents(const std::string& page, std::initializer_list<const TypeInfo*> classes) {
  TDesignRegistry::Current().RegisterComponents(page, classes);
}

void RegisterPropertyEditor(TPropertyType type, const TypeInfo* component_class,
                            std::string property_name, TPropertyEditorClass editor) {
  TDesignRegistry::Current().RegisterPropertyEditor(type, component_class, std::move(property_name),
                                                    std::move(editor));
}

void RegisterComponentEditor(const TypeInfo& component_class, TComponentEditorClass editor) {
  TDesignRegistry::Current().RegisterComponentEditor(component_class, std::move(editor));
}

std::unique_ptr<TPropertyEditor> GetPropertyEditor(TFormDesigner& designer,
                                                   std::vector<TPersistent*> selection,
                                                   const PropInfo& prop) {
  if (selection.empty()) throw EInvalidOperation("A property editor needs a selected object");
  if (const TPropertyEditorClass* e = TDesignRegistry::Current().FindPropertyEditor(prop, *selection[0])) {
    return e->create(designer, std::move(selection), prop);
  }
  return CreateDefaultPropertyEditor(designer, std::move(selection), prop);
}

std::vector<std::unique_ptr<TPropertyEditor>> GetComponentProperties(
    TFormDesigner& designer, const std::vector<TPersistent*>& selection) {
  std::vector<std::unique_ptr<TPropertyEditor>> editors;
  if (selection.empty()) return editors;
  for (const PropInfo* prop : selection[0]->ClassType().Properties()) {
    bool shared = true;
    for (const TPersistent* p : selection) {
      // The same property, not merely the same name: every object reads it alike.
      shared = shared && p->ClassType().FindProperty(prop->name) == prop;
    }
    if (!shared) continue;
    auto editor = GetPropertyEditor(designer, selection, *prop);
    if (selection.size() > 1 && !editor->GetAttributes().Contains(paMultiSelect)) continue;
    editors.push_back(std::move(editor));
  }
  return editors;
}

std::unique_ptr<TComponentEditor> GetComponentEditor(TComponent* component, TFormDesigner& designer) {
  if (component == nullptr) throw EInvalidOperation("A component editor needs a component");
  if (const TComponentEditorClass* e = TDesignRegistry::Current().FindComponentEditor(component->ClassType())) {
    return e->create(component, designer);
  }
  return std::make_unique<TComponentEditor>(component, designer);
}

}  // namespace vantor
