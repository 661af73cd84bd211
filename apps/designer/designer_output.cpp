#include "designer_output.h"

#include <algorithm>
#include <ostream>

#include <vantor/platform/core/collection.h>
#include <vantor/platform/core/component.h>
#include <vantor/platform/core/strings.h>
#include <vantor/platform/design/design_registry.h>
#include <vantor/platform/ui/check_box.h>
#include <vantor/platform/ui/custom_edit.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/list_box.h>

namespace designer {
using namespace vantor;

namespace {

// A text in quotes as the text form writes it ('' for a quote), so blanks at its ends show.
std::string Quoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("''") : std::string(1, c);
  return q + "'";
}

std::string ControlName(const TControl& c) { return c.Name().empty() ? "(unnamed)" : c.Name(); }

void WriteControl(std::ostream& out, const TControl& c, int depth) {
  out << std::string(static_cast<std::size_t>(depth) * 2, ' ') << ControlName(c) << ": " << c.ClassName();
  if (const auto* list = dynamic_cast<const TListBox*>(&c)) {
    const int count = list->Items()->Count();
    out << ", " << count << (count == 1 ? " line" : " lines");
  } else if (const auto* edit = dynamic_cast<const TCustomEdit*>(&c)) {
    out << " " << Quoted(edit->Text());
  } else if (const auto* box = dynamic_cast<const TCheckBox*>(&c)) {
    out << " " << Quoted(box->Caption()) << (box->State() == cbChecked ? " checked" : " unchecked");
  } else if (!c.Caption().empty()) {
    out << " " << Quoted(c.Caption());
  }
  if (!c.Enabled()) out << " disabled";
  if (!c.Visible()) out << " hidden";
  if (const auto* w = dynamic_cast<const TWinControl*>(&c); w != nullptr && w->Focused()) out << " focused";
  out << '\n';
  if (const auto* list = dynamic_cast<const TListBox*>(&c)) {
    for (int i = 0; i < list->Items()->Count(); ++i) {
      out << std::string(static_cast<std::size_t>(depth + 1) * 2, ' ') << (i == list->ItemIndex() ? "> " : "  ")
          << Quoted(list->Items()->Strings(i)) << '\n';
    }
  }
  if (const auto* w = dynamic_cast<const TWinControl*>(&c)) {
    for (int i = 0; i < w->ControlCount(); ++i) WriteControl(out, *w->Controls(i), depth + 1);
  }
}

}  // namespace

void WritePalette(std::ostream& out, const TDesignRegistry& registry) {
  for (const std::string& page : registry.PalettePages()) {
    out << page << ':';
    for (const TypeInfo* info : registry.PaletteClasses(page)) out << ' ' << info->Name();
    out << '\n';
  }
}

void WriteComponents(std::ostream& out, const TComponent& root) {
  out << root.Name() << ": " << root.ClassName() << '\n';
  for (int i = 0; i < root.ComponentCount(); ++i) {
    const TComponent* c = root.Components(i);
    out << "  " << (c->Name().empty() ? "(unnamed)" : c->Name()) << ": " << c->ClassName();
    if (const auto* control = dynamic_cast<const TControl*>(c); control != nullptr && control->Parent() != nullptr) {
      out << " in " << ControlName(*control->Parent());
    }
    out << '\n';
  }
}

std::string AttributeMarks(TPropertyAttributes attributes) {
  std::string marks;
  auto add = [&marks](const char* mark) { marks += (marks.empty() ? "" : " ") + std::string(mark); };
  if (attributes.Contains(paValueList)) add("[list]");
  if (attributes.Contains(paDialog)) add("[...]");
  if (attributes.Contains(paSubProperties)) add("[+]");
  if (attributes.Contains(paReadOnly)) add("[read-only]");
  return marks;
}

void WriteProperties(std::ostream& out, const std::vector<std::unique_ptr<TPropertyEditor>>& editors) {
  std::size_t width = 0;
  for (const auto& e : editors) width = std::max(width, e->GetName().size());
  for (const auto& e : editors) {
    std::string line = e->GetName() + std::string(width - e->GetName().size(), ' ') + " = " + e->GetValue();
    const std::string marks = AttributeMarks(e->GetAttributes());
    if (!marks.empty()) line += "  " + marks;
    out << line << '\n';
  }
}

void WriteItems(std::ostream& out, const TCollection& collection) {
  if (collection.Count() == 0) {
    out << "(no items)\n";
    return;
  }
  for (int i = 0; i < collection.Count(); ++i) {
    const TCollectionItem* item = collection.Items(i);
    out << '[' << i << "] " << item->GetDisplayName() << ": " << item->ClassName() << '\n';
  }
}

void WriteWindow(std::ostream& out, const TForm& form) {
  out << "window " << (form.Name().empty() ? "(unnamed)" : form.Name()) << ": " << form.ClassName() << ' '
      << Quoted(form.Caption()) << '\n';
  for (int i = 0; i < form.ControlCount(); ++i) WriteControl(out, *form.Controls(i), 1);
}

}  // namespace designer
