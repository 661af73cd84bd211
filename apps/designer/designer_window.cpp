#include "designer_window.h"

#include <clocale>
#include <cstring>
#include <fstream>
#include <ostream>

#include <vantor/platform/design/design_registry.h>
#include <vantor/platform/design/form_designer.h>
#include <vantor/platform/ui/application.h>
#include <vantor/platform/ui/button.h>
#include <vantor/platform/ui/combo_box.h>
#include <vantor/platform/ui/custom_edit.h>
#include <vantor/platform/ui/custom_panel.h>
#include <vantor/platform/ui/label.h>
#include <vantor/platform/ui/list_box.h>
#include <vantor/platform/ui/messages.h>
#include <vantor/platform/raster/render.h>
#include <vantor/platform/x11/x11_host.h>
#include "designer_output.h"
#include "designer_script.h"

namespace designer {
using namespace vantor;

namespace {

// An argument as a script line writes it: quoted when it is empty, holds blanks or
// starts with a quote, so that the parser reads back exactly the same text.
std::string ScriptWord(const std::string& arg) {
  const bool plain = !arg.empty() && arg.find_first_of(" \t\r") == std::string::npos && arg.front() != '\'';
  if (plain) return arg;
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  return quoted + "'";
}

// The last line of a command's output that says something.
std::string LastLine(std::string text) {
  while (!text.empty() && text.back() == '\n') text.pop_back();
  const std::size_t newline = text.rfind('\n');
  return newline == std::string::npos ? text : text.substr(newline + 1);
}

template <typename T>
T* Make(TWinControl* parent, TComponent* owner, const char* name, int left, int top, int width, int height) {
  auto* control = new T(owner);
  if (name != nullptr) control->SetName(name);
  control->SetParent(parent);
  control->SetBounds(left, top, width, height);
  return control;
}

TLabel* AddLabel(TWinControl* parent, TComponent* owner, const char* text, int left, int top) {
  auto* label = Make<TLabel>(parent, owner, nullptr, left, top, 120, 13);
  label->SetCaption(text);
  return label;
}

}  // namespace

DesignerWindow::DesignerWindow(std::ostream& echo)
    : TForm(nullptr, TCreateNew{}), echo_(echo), session_(std::make_unique<Session>(out_)) {
  SetName("fmDesigner");
  SetCaption("Vantor designer");
  SetBounds(0, 0, 760, 520);
  SetPosition(poScreenCenter);
  BuildControls();
  for (const std::string& page : session_->Registry().PalettePages()) cbPages->Items()->Add(page);
  if (cbPages->Items()->Count() > 0) cbPages->SetItemIndex(0);
  ShowPage();
  Refresh();
}

DesignerWindow::~DesignerWindow() {
  // The session goes first, and the designed form with it; its designer must not call
  // back into this window's controls while it goes.
  if (hooked_ != nullptr && session_->Designer() == hooked_) {
    hooked_->OnSelectionChanged = nullptr;
    hooked_->OnModified = nullptr;
  }
  session_.reset();
  status_ = nullptr;
  DestroyComponents();
}

void DesignerWindow::BuildControls() {
  auto* top = Make<TPanel>(this, this, nullptr, 0, 0, 0, 34);
  top->SetAlign(alTop);
  top->SetBevelOuter(bvNone);
  top->SetCaption("");
  AddLabel(top, this, "File:", 8, 11);
  edFile = Make<TEdit>(top, this, "edFile", 40, 7, 300, 21);
  edFile->SetText("");
  btNew = Make<TButton>(top, this, "btNew", 350, 5, 75, 25);
  btNew->SetCaption("New");
  btNew->OnClick = [this](TObject*) { FileCommand("new"); };
  btOpen = Make<TButton>(top, this, "btOpen", 431, 5, 75, 25);
  btOpen->SetCaption("Open...");
  btOpen->OnClick = [this](TObject*) { FileCommand("open"); };
  btSave = Make<TButton>(top, this, "btSave", 512, 5, 75, 25);
  btSave->SetCaption("Save");
  btSave->OnClick = [this](TObject*) { FileCommand("save"); };

  status_ = Make<TPanel>(this, this, nullptr, 0, 0, 0, 22);
  status_->SetAlign(alBottom);
  status_->SetBevelOuter(bvLowered);
  status_->SetAlignment(taLeftJustify);
  status_->SetCaption("");

  // The palette.
  AddLabel(this, this, "Palette", 8, 40);
  cbPages = Make<TComboBox>(this, this, "cbPages", 8, 56, 180, 21);
  cbPages->SetStyle(csDropDownList);
  cbPages->OnChange = [this](TObject*) { ShowPage(); };
  lbClasses = Make<TListBox>(this, this, "lbClasses", 8, 82, 180, 330);
  lbClasses->OnDblClick = [this](TObject*) { DropClicked(); };
  btDrop = Make<TButton>(this, this, "btDrop", 8, 418, 180, 25);
  btDrop->SetCaption("Drop");
  btDrop->OnClick = [this](TObject*) { DropClicked(); };

  // The designed form's components and the verbs of the selected one.
  AddLabel(this, this, "Components", 200, 40);
  lbComponents = Make<TListBox>(this, this, "lbComponents", 200, 56, 200, 250);
  lbComponents->OnClick = [this](TObject*) { ComponentClicked(); };
  AddLabel(this, this, "Verbs", 200, 314);
  lbVerbs = Make<TListBox>(this, this, "lbVerbs", 200, 330, 200, 82);
  btVerb = Make<TButton>(this, this, "btVerb", 200, 418, 200, 25);
  btVerb->SetCaption("Run Verb");
  btVerb->OnClick = [this](TObject*) { VerbClicked(); };

  // The inspector.
  AddLabel(this, this, "Properties", 412, 40);
  lbProps = Make<TListBox>(this, this, "lbProps", 412, 56, 336, 330);
  lbProps->OnClick = [this](TObject*) { PropertyClicked(); };
  lbPropName = Make<TLabel>(this, this, "lbPropName", 412, 396, 336, 13);
  lbPropName->SetCaption("");
  cbValue = Make<TComboBox>(this, this, "cbValue", 412, 420, 300, 21);
  cbValue->SetStyle(csDropDown);
  cbValue->SetEnabled(false);
  // Enter reaches the box itself: the form has no default button to take it.
  cbValue->OnKeyDown = [this](TObject*, std::uint16_t& key, TShiftState) {
    if (key != VK_RETURN) return;
    key = 0;
    ApplyValue();
  };
  btEditProp = Make<TButton>(this, this, "btEditProp", 718, 418, 30, 25);
  btEditProp->SetCaption("...");
  btEditProp->SetEnabled(false);
  btEditProp->OnClick = [this](TObject*) { EditProperty(); };
}

bool DesignerWindow::Perform(const std::string& name, std::vector<std::string> args) {
  std::string text = name;
  for (const std::string& arg : args) text += " " + ScriptWord(arg);
  echo_ << text << '\n';
  out_.str({});
  bool ok = true;
  std::string failure;
  try {
    // Parsed as a script line is: the same checks of its shape, then the same command.
    std::optional<Command> command = ParseLine(text, 0);
    if (command) session_->Run(std::span<const Command>(&*command, 1));
  } catch (const ScriptError& e) {
    failure = e.what();
    ok = false;
  } catch (const CommandError& e) {
    failure = e.what();
    ok = false;
  }
  const std::string printed = out_.str();
  echo_ << printed;
  if (!ok) echo_ << "error: " << failure << '\n';
  echo_.flush();
  Refresh();
  SetStatus(ok ? LastLine(printed) : "Error: " + failure);
  return ok;
}

void DesignerWindow::RunScript(std::span<const Command> commands) {
  for (const Command& c : commands) echo_ << c.text << '\n';
  out_.str({});
  try {
    session_->Run(commands);
  } catch (const CommandError&) {
    echo_ << out_.str();
    Refresh();
    throw;
  }
  echo_ << out_.str();
  Refresh();
  SetStatus(LastLine(out_.str()));
}

std::string DesignerWindow::StatusText() const { return status_->Caption(); }

void DesignerWindow::SetStatus(const std::string& text) { status_->SetCaption(text.empty() ? "" : "  " + text); }

// --- The palette ---

void DesignerWindow::ShowPage() {
  lbClasses->Clear();
  const int page = cbPages->ItemIndex();
  if (page < 0) return;
  for (const TypeInfo* info : session_->Registry().PaletteClasses(cbPages->Items()->Strings(page))) {
    lbClasses->Items()->Add(info->Name());
  }
  if (lbClasses->Items()->Count() > 0) lbClasses->SetItemIndex(0);
}

void DesignerWindow::DropClicked() {
  const int line = lbClasses->ItemIndex();
  if (line < 0) {
    SetStatus("Choose a class on the palette first");
    return;
  }
  Perform("drop", {lbClasses->Items()->Strings(line)});
}

// --- Components and verbs ---

void DesignerWindow::ComponentClicked() {
  const int line = lbComponents->ItemIndex();
  if (hooked_ == nullptr || line < 0) return;
  // The designer's selection follows the click, and the inspector follows the selection.
  hooked_->SelectComponent(hooked_->GetComponent(lbComponents->Items()->Strings(line)));
}

void DesignerWindow::VerbClicked() {
  const int verb = lbVerbs->ItemIndex();
  if (verb < 0) {
    SetStatus("Choose a verb of the selected component first");
    return;
  }
  // Verbs are listed only for a component, whose path is its name.
  Perform("verb", {inspected_, std::to_string(verb)});
}

// --- The inspector ---

int DesignerWindow::ChosenProperty() const {
  const int line = lbProps->ItemIndex();
  return line >= 0 && line < static_cast<int>(prop_names_.size()) ? line : -1;
}

std::string DesignerWindow::PropertyPath(int line) const {
  return inspected_ + "." + prop_names_[static_cast<std::size_t>(line)];
}

void DesignerWindow::PropertyClicked() {
  const int line = ChosenProperty();
  cbValue->Items()->Clear();
  cbValue->SetText("");
  cbValue->SetEnabled(false);
  btEditProp->SetEnabled(false);
  lbPropName->SetCaption("");
  if (line < 0) return;
  const std::unique_ptr<TPropertyEditor> editor = session_->EditorFor(PropertyPath(line));
  const TPropertyAttributes attributes = editor->GetAttributes();
  lbPropName->SetCaption(PropertyPath(line) + "  " + AttributeMarks(attributes));
  if (attributes.Contains(paValueList)) {
    editor->GetValues([this](const std::string& value) { cbValue->Items()->Add(value); });
  }
  cbValue->SetText(editor->GetValue());
  cbValue->SetEnabled(!attributes.Contains(paReadOnly));
  btEditProp->SetEnabled(attributes.Contains(paDialog));
}

void DesignerWindow::ApplyValue() {
  const int line = ChosenProperty();
  if (line < 0) {
    SetStatus("Choose a property first");
    return;
  }
  const std::string typed = cbValue->GetText();
  // A refused value stays in the box, to be corrected.
  if (!Perform("set", {PropertyPath(line), typed})) cbValue->SetText(typed);
}

void DesignerWindow::EditProperty() {
  const int line = ChosenProperty();
  if (line >= 0) Perform("edit", {PropertyPath(line)});
}

void DesignerWindow::FillProperties() {
  const int chosen = lbProps->ItemIndex();
  lbProps->Clear();
  prop_names_.clear();
  if (!inspected_.empty()) {
    TPersistent* object = session_->ResolveObject(inspected_);
    for (const auto& editor : GetComponentProperties(*hooked_, {object})) {
      prop_names_.push_back(editor->GetName());
      lbProps->Items()->Add(editor->GetName() + " = " + editor->GetValue());
    }
  }
  if (chosen >= 0 && chosen < lbProps->Items()->Count()) lbProps->SetItemIndex(chosen);
  PropertyClicked();
}

void DesignerWindow::Inspect(const std::string& path) {
  const bool same = path == inspected_;
  inspected_ = path;
  if (!same) lbProps->Clear();
  lbVerbs->Clear();
  TPersistent* object = nullptr;
  if (hooked_ != nullptr && !inspected_.empty()) {
    try {
      object = session_->ResolveObject(inspected_);
    } catch (const std::exception&) {
      // What was inspected is gone (deleted, or the form replaced): the form shows.
      inspected_ = hooked_->GetRoot()->Name();
      object = hooked_->GetRoot();
    }
  }
  if (object == nullptr) inspected_.clear();
  FillProperties();
  if (auto* component = dynamic_cast<TComponent*>(object)) {
    const auto editor = GetComponentEditor(component, *hooked_);
    for (int i = 0; i < editor->GetVerbCount(); ++i) lbVerbs->Items()->Add(editor->GetVerb(i));
  }
  // The component line of what is inspected (an item's component for an item).
  const std::string owner = inspected_.substr(0, inspected_.find('.'));
  const int line = lbComponents->Items()->IndexOf(owner);
  if (line != lbComponents->ItemIndex()) lbComponents->SetItemIndex(line);
}

// --- Following the session ---

void DesignerWindow::HookDesigner() {
  TFormDesigner* designer = session_->Designer();
  if (designer == hooked_) return;
  // The designer before it went with its form; only the new one is hooked.
  hooked_ = designer;
  inspected_.clear();
  if (hooked_ == nullptr) return;
  hooked_->OnSelectionChanged = [this] { SelectionChanged(); };
  hooked_->OnModified = [this] {
    SetCaption("Vantor designer - " + hooked_->GetRoot()->Name() + " (modified)");
  };
  // A script run before may have selected something on the new form already.
  const auto& selection = hooked_->GetSelections();
  inspected_ = selection.size() == 1 ? selection.front()->GetNamePath() : hooked_->GetRoot()->Name();
}

void DesignerWindow::SelectionChanged() {
  // While the session replaces the form, the old form is gone before its designer:
  // nothing of it can be inspected then, and Refresh follows once the command is done.
  if (hooked_ != session_->Designer() || session_->Form() == nullptr) return;
  const auto& selection = hooked_->GetSelections();
  Inspect(selection.size() == 1 ? selection.front()->GetNamePath() : hooked_->GetRoot()->Name());
}

void DesignerWindow::Refresh() {
  HookDesigner();
  lbComponents->Clear();
  if (hooked_ == nullptr) {
    SetCaption("Vantor designer");
    Inspect("");
    return;
  }
  const TComponent& root = *hooked_->GetRoot();
  SetCaption("Vantor designer - " + root.Name() + (hooked_->IsModified() ? " (modified)" : ""));
  lbComponents->Items()->Add(root.Name());
  for (int i = 0; i < root.ComponentCount(); ++i) {
    if (!root.Components(i)->Name().empty()) lbComponents->Items()->Add(root.Components(i)->Name());
  }
  Inspect(inspected_);
}

void DesignerWindow::FileCommand(const std::string& command) {
  if (command == "new") {
    Perform("new", {"Form1"});
    return;
  }
  const std::string file = edFile->Text();
  if (file.empty()) {
    SetStatus("Type the file name into the File edit first");
    edFile->SetFocus();
    return;
  }
  Perform(command, {file});
}

// --- The program's window mode ---

bool WantsWindow(std::span<const std::string_view> args) {
  for (std::string_view arg : args) {
    if (arg == "--window" || arg == "--screenshot") return true;
  }
  return false;
}

int WindowMain(std::span<const std::string_view> args, std::string_view program, std::ostream& out,
               std::ostream& err) {
  const std::string name(program.substr(program.rfind('/') == std::string_view::npos ? 0 : program.rfind('/') + 1));
  std::string screenshot;
  std::string script;
  std::string file;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const bool last = i + 1 == args.size();
    if (arg == "--window") continue;
    if ((arg == "--screenshot" || arg == "--script") && !last) {
      (arg == "--screenshot" ? screenshot : script) = std::string(args[++i]);
    } else if (!arg.starts_with("--") && file.empty()) {
      file = std::string(arg);
    } else {
      err << name << ": " << (arg.starts_with("--") && last ? std::string(arg) + " needs a value" : "unexpected argument " + std::string(arg))
          << "\nusage: " << name << " --window [FILE] [--script SCRIPT]\n       " << name
          << " --screenshot FILE.png [FILE] [--script SCRIPT]\n";
      return 2;
    }
  }
  // The input method turns key strokes into UTF-8 text only under a UTF-8 character type.
  const char* ctype = std::setlocale(LC_CTYPE, "");
  if (ctype == nullptr || std::strcmp(ctype, "C") == 0 || std::strcmp(ctype, "POSIX") == 0) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
  }
  std::unique_ptr<TX11Host> host = screenshot.empty() ? InstallX11HostIfDisplay() : nullptr;
  if (screenshot.empty() && !host) {
    err << name << ": no display (DISPLAY is not set or cannot be opened).\n"
        << "    For a picture of the window without one: " << name << " --screenshot designer.png\n";
    return 1;
  }
  DesignerWindow window(out);
  if (!window.Perform(file.empty() ? "new" : "open", {file.empty() ? std::string("Form1") : file})) {
    err << name << ": " << window.StatusText().substr(2) << '\n';
    return 2;
  }
  if (!script.empty()) {
    std::ifstream in(script);
    try {
      if (!in) throw ScriptError("cannot read " + script);
      window.RunScript(ParseScript(in));
    } catch (const ScriptError& e) {
      err << name << ": " << script << ": " << e.what() << '\n';
      return 2;
    } catch (const CommandError& e) {
      err << name << ": " << script << ": line " << e.Line() << ": " << e.what() << '\n';
      return 2;
    }
  }
  if (!screenshot.empty()) {
    window.Show();
    Application->ProcessMessages();
    SaveControlToPng(window, screenshot);
    out << name << ": " << screenshot << " written\n";
    return 0;
  }
  window.ShowModal();
  return 0;
}

}  // namespace designer
