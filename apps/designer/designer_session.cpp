#include "designer_session.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <ostream>
#include <sstream>

#include <vantor/designtime/register_designtime.h>
#include <vantor/designtime/registration.h>
#include <vantor/dialogs/form_resource.h>
#include <vantor/dialogs/register_dialogs.h>
#include <vantor/engines/register_engines.h>
#include <vantor/platform/core/collection.h>
#include <vantor/platform/core/object_text.h>
#include <vantor/platform/core/reader.h>
#include <vantor/platform/core/stream.h>
#include <vantor/platform/core/writer.h>
#include <vantor/platform/data/data_classes.h>
#include <vantor/platform/data/data_source.h>
#include <vantor/platform/data/sqlite_query.h>
#include <vantor/platform/data/sqlite_table.h>
#include <vantor/platform/dbctrls/db_grid.h>
#include <vantor/platform/rtl/exceptions.h>
#include <vantor/platform/ui/button.h>
#include <vantor/platform/ui/check_box.h>
#include <vantor/platform/ui/custom_edit.h>
#include <vantor/platform/ui/custom_panel.h>
#include <vantor/platform/ui/form.h>
#include <vantor/platform/ui/label.h>
#include <vantor/platform/ui/list_box.h>
#include <vantor/platform/ui/screen.h>
#include <vantor/platform/ui/scripted_user.h>
#include <vantor/platform/ui/ui_classes.h>
#include "designer_output.h"

namespace designer {
using namespace vantor;

namespace {

std::string MessageOf(const std::exception& e) {
  if (const auto* v = dynamic_cast<const vantor::Exception*>(&e)) return v->Message();
  return e.what();
}

const TypeInfo& FormClass(const std::string& name) {
  const TypeInfo* info = GetClass(name);
  if (info == nullptr || !info->InheritsFrom(TForm::StaticType()) || !info->CreateComponent()) {
    throw std::runtime_error("'" + name + "' is no form class a designer can create (TForm is one)");
  }
  return *info;
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path + ": " + std::strerror(errno));
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A line or verb number: decimal digits only; -1 for anything else.
int WholeNumber(const std::string& text) {
  const bool digits = !text.empty() && text.size() <= 9 &&
                      std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  return digits ? std::stoi(text) : -1;
}

// The line of a list box a click or a drag aims at, in its client coordinates: the middle
// of the line, or (for `below_last`) just under the last line while that is inside the box.
TPoint LinePoint(const TListBox& list, const std::string& name, const std::string& line_text, bool below_last) {
  const int line = WholeNumber(line_text);
  if (line < 0) throw std::runtime_error("'" + line_text + "' is no line number (lines count from 0)");
  const int count = list.Items()->Count();
  if (line >= count && below_last && count > 0) {
    const TRect last = list.ItemRect(count - 1);
    const int below = last.Bottom + list.ItemHeight() / 2;
    return {5, std::min(below, list.ClientHeight() - 1)};
  }
  if (line >= count) {
    throw std::runtime_error(name + " has " + std::to_string(count) + (count == 1 ? " line" : " lines") +
                             (count == 0 ? "" : " (0.." + std::to_string(count - 1) + ")") + "; line " + line_text +
                             " is none of them");
  }
  const TRect r = list.ItemRect(line);
  return {5, (r.Top + r.Bottom) / 2};
}

const TListBox& ListBoxOf(TForm& form, const std::string& name, const char* what) {
  const auto* list = dynamic_cast<const TListBox*>(TScriptedUser::FindControl(form, name));
  if (list == nullptr) throw std::runtime_error(std::string(what) + " a line needs a list box; " + name + " is none");
  return *list;
}

// The name of the form in the modal loop's message "modal form NAME has no scripted input left".
std::string WindowName(const std::string& message) {
  const std::string_view prefix = "modal form ";
  const std::size_t start = message.find(prefix);
  if (start == std::string::npos) return "in front";
  const std::size_t from = start + prefix.size();
  return message.substr(from, message.find(' ', from) - from);
}

std::string ResultName(TModalResult r) {
  switch (r) {
    case mrOk: return "OK";
    case mrCancel: return "Cancel";
    case mrAbort: return "Abort";
    case mrRetry: return "Retry";
    case mrIgnore: return "Ignore";
    case mrYes: return "Yes";
    case mrNo: return "No";
    case mrAll: return "All";
    default: return std::to_string(r);
  }
}

}  // namespace

Session::Session(std::ostream& out) : out_(out) {
  RegisterFormClasses();
  RegisterUiClasses();
  RegisterDataClasses();
  RegisterDBControlClasses();
  RegisterFormDescriptionClasses();
  RegisterEngineClasses();
  RegisterDialogClasses();
  RegisterSetupForms();
  // The host's own components come first on the palette, as a designer loads its own
  // library before the packages; the package's page follows from its Register.
  Registry().RegisterComponents("Standard", {&TLabel::StaticType(), &TEdit::StaticType(), &TButton::StaticType(),
                                             &TCheckBox::StaticType(), &TPanel::StaticType()});
  Registry().RegisterComponents("Data Access", {&TDataSource::StaticType(), &TSQLiteTable::StaticType(),
                                                &TSQLiteQuery::StaticType()});
  Registry().RegisterComponents("Data Controls", {&TDBGrid::StaticType()});
  Register();
  boxes_seen_ = Application->MessageBoxes().size();
}

Session::~Session() {
  ScriptedUser().Clear();
  // The form goes first: its field lists close their editor windows, which still talk
  // to the designer while they close.
  form_.reset();
  // The editor windows of the form's panels released themselves when the panels went;
  // freeing them now keeps their names free for the next session.
  try {
    Application->ProcessMessages();
  } catch (...) {  // NOLINT(bugprone-empty-catch): nothing is left to report an error to
  }
  designer_.reset();
}

// While commands run, an error a window's handler lets out is the script's error: it is
// kept with the line being played, and the rest of the input is dropped so that nothing
// runs after it. Between runs (a person working in the designer's window) the
// application handles errors as it always does.
class Session::ExceptionHook {
 public:
  explicit ExceptionHook(Session& session) : saved_(Application->OnException) {
    Application->OnException = [&session](TObject*, const std::exception& e) {
      if (!session.reported_) session.reported_.emplace(session.current_line_, MessageOf(e));
      ScriptedUser().Clear();
    };
  }
  ~ExceptionHook() { Application->OnException = saved_; }
  ExceptionHook(const ExceptionHook&) = delete;
  ExceptionHook& operator=(const ExceptionHook&) = delete;

 private:
  TExceptionEvent saved_;
};

void Session::Run(std::span<const Command> commands) {
  const ExceptionHook hook(*this);
  std::size_t i = 0;
  while (i < commands.size()) {
    const Command* design = commands[i].kind == Kind::Design ? &commands[i] : nullptr;
    current_line_ = commands[i].line;
    reported_.reset();
    inputs_.clear();
    next_input_ = 0;
    std::size_t j = design != nullptr ? i + 1 : i;
    for (; j < commands.size() && commands[j].kind == Kind::Input; ++j) inputs_.push_back(commands[j]);
    i = j;
    try {
      QueueInputs();
      if (design != nullptr) Execute(*design);
      PlayRest();
    } catch (const CommandError& e) {
      Fail(e.Line(), e.what());
    } catch (const EScriptError& e) {
      if (ScriptedUser().Empty() && e.Message().find("has no scripted input left") != std::string::npos) {
        // A window shown modally is still open when the input lines run out.
        Fail(current_line_, "the window " + WindowName(e.Message()) +
                                " still waits for input after this line; end its input with a click on its OK or "
                                "Cancel button, or with close");
      }
      Fail(ScriptedUser().FrontIsAnswer() ? UnusedAnswerLine() : current_line_, e.Message());
    } catch (const std::exception& e) {
      Fail(current_line_, MessageOf(e));
    }
    ReportBoxes();
    if (reported_) Fail(reported_->first, reported_->second);
  }
}

void Session::Fail(int line, const std::string& message) {
  ScriptedUser().Clear();
  ReportBoxes();
  // What a window reported came first; the rest followed from it.
  if (reported_) throw CommandError(reported_->first, reported_->second);
  throw CommandError(line, message);
}

void Session::QueueInputs() {
  answer_lines_.clear();
  input_step_queued_ = false;
  while (next_input_ < inputs_.size() && inputs_[next_input_].name == "answer") {
    ScriptedUser().Answer(ParseAnswer(inputs_[next_input_].args[0]));
    answer_lines_.push_back(inputs_[next_input_].line);
    ++next_input_;
  }
  if (next_input_ == inputs_.size()) return;
  input_step_queued_ = true;
  const std::size_t index = next_input_++;
  ScriptedUser().Run([this, index](TForm& form) { PlayInput(form, inputs_[index]); });
}

void Session::PlayInput(TForm& form, const Command& c) {
  current_line_ = c.line;
  TScriptedUser& user = ScriptedUser();
  const std::vector<std::string>& a = c.args;
  if (c.name == "click" && a.size() == 2) {
    user.ClickAt(a[0], LinePoint(ListBoxOf(form, a[0], "click on"), a[0], a[1], false));
  } else if (c.name == "click") {
    user.Click(a[0]);
  } else if (c.name == "focus") {
    user.Focus(a[0]);
  } else if (c.name == "type") {
    user.Type(a[0]);
  } else if (c.name == "press") {
    const Key key = ParseKey(a[0]);
    TShiftState shift;
    if (key.shift) shift.Include(ssShift);
    if (key.ctrl) shift.Include(ssCtrl);
    if (key.alt) shift.Include(ssAlt);
    user.Press(key.code, shift);
  } else if (c.name == "drag") {
    const TListBox& list = ListBoxOf(form, a[0], "drag of");
    user.Drag(a[0], LinePoint(list, a[0], a[1], false), a[0], LinePoint(list, a[0], a[2], true));
  } else if (c.name == "close") {
    user.CloseWindow();
  } else {
    // The parser admits no other input command.
    assert(false && "an input command without a step");
  }
  QueueInputs();
}

void Session::PlayRest() {
  while (!ScriptedUser().Empty() && !reported_) {
    if (ScriptedUser().FrontIsAnswer()) {
      throw CommandError(UnusedAnswerLine(), "no message box shows to take this answer");
    }
    TForm* form = Screen->ActiveForm();
    if (form == nullptr || !form->Visible()) {
      // The front step is either the input command queued last or the step it queued.
      const int line = ScriptedUser().Pending() == 1 && input_step_queued_ ? inputs_[next_input_ - 1].line : current_line_;
      throw CommandError(line, "no window shows to take this input (verb NAME 0 opens the fields editor)");
    }
    try {
      ScriptedUser().PlayStep(*form);
    } catch (const EScriptError&) {
      throw;
    } catch (...) {
      Application->HandleException(form, std::current_exception());
    }
    Application->ProcessMessages();
  }
}

int Session::UnusedAnswerLine() const {
  // The queue holds the answers no box took, and after them the step of the next input
  // command when there is one.
  const std::size_t left = static_cast<std::size_t>(ScriptedUser().Pending()) - (input_step_queued_ ? 1 : 0);
  if (left == 0 || left > answer_lines_.size()) return current_line_;
  return answer_lines_[answer_lines_.size() - left];
}

void Session::ReportBoxes() {
  const auto& boxes = Application->MessageBoxes();
  for (; boxes_seen_ < boxes.size(); ++boxes_seen_) {
    const TMessageBoxRecord& box = boxes[boxes_seen_];
    out_ << "message: " << box.text;
    if (box.result != mrNone) out_ << " [" << ResultName(box.result) << "]";
    out_ << '\n';
  }
}

void Session::Execute(const Command& c) {
  const std::vector<std::string>& a = c.args;
  const std::string& n = c.name;
  if (n == "new") return New(a[0], a.size() > 1 ? a[1] : "TForm");
  if (n == "open") return Open(a[0]);
  if (n == "save") return Save(a[0], a.size() > 1 ? a[1] : "text");
  if (n == "palette") return WritePalette(out_, Registry());
  if (n == "components") {
    RequireDesigner();
    return WriteComponents(out_, *form_);
  }
  if (n == "drop") return Drop(a[0], a.size() > 1 ? a[1] : "");
  if (n == "delete") return Delete(a[0]);
  if (n == "rename") return Rename(a[0], a[1]);
  if (n == "props") return Props(a[0]);
  if (n == "get") {
    out_ << EditorFor(a[0])->GetValue() << '\n';
    return;
  }
  if (n == "set") {
    auto editor = EditorFor(a[0]);
    if (editor->GetAttributes().Contains(paReadOnly)) {
      throw std::runtime_error(a[0] + " cannot be typed" +
                               (editor->GetAttributes().Contains(paDialog) ? "; edit " + a[0] + " opens its editor"
                                                                            : std::string()));
    }
    try {
      editor->SetValue(a[1]);
    } catch (const vantor::Exception& e) {
      // The editor's own message; where it offers values, where to find them.
      if (!editor->GetAttributes().Contains(paValueList)) throw;
      throw std::runtime_error(e.Message() + " (values " + a[0] + " lists the values)");
    }
    return;
  }
  if (n == "values") {
    auto editor = EditorFor(a[0]);
    if (!editor->GetAttributes().Contains(paValueList)) throw std::runtime_error(a[0] + " offers no list of values");
    editor->GetValues([this](const std::string& v) { out_ << v << '\n'; });
    return;
  }
  if (n == "edit") {
    auto editor = EditorFor(a[0]);
    if (!editor->GetAttributes().Contains(paDialog) && !editor->GetAttributes().Contains(paValueList)) {
      throw std::runtime_error(a[0] + " has no editor button; set gives it a value");
    }
    editor->Edit();
    return;
  }
  if (n == "selection") return Selection();
  if (n == "verbs") return Verbs(a[0]);
  if (n == "verb") return Verb(a[0], a[1]);
  if (n == "window") return Window();
  if (n == "echo") {
    out_ << (a.empty() ? std::string() : a[0]) << '\n';
    return;
  }
  // The parser admits no other design command.
  assert(false && "a design command without an action");
}

// --- Forms ---

void Session::Adopt(TForm* form) {
  std::unique_ptr<TForm> owned(form);
  form->SetDesigning(true);
  auto designer = std::make_unique<TFormDesigner>(form);
  // The old form goes before its designer, and its editor windows with it (see the
  // destructor).
  form_.reset();
  Application->ProcessMessages();
  designer_.reset();
  form_ = std::move(owned);
  designer_ = std::move(designer);
}

void Session::New(const std::string& name, const std::string& class_name) {
  const TypeInfo& info = FormClass(class_name);
  std::unique_ptr<TComponent> made(info.CreateComponent()(nullptr));
  auto* form = dynamic_cast<TForm*>(made.get());
  // FormClass admits only descendants of TForm.
  assert(form != nullptr);
  form->SetName(name);
  made.release();
  Adopt(form);
}

void Session::Open(const std::string& path) {
  std::vector<std::uint8_t> bytes = ReadFile(path);
  static constexpr std::string_view kSignature = "TPF0";
  if (bytes.size() < kSignature.size() || !std::equal(kSignature.begin(), kSignature.end(), bytes.begin())) {
    TMemoryStream text(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    TMemoryStream binary;
    try {
      ObjectTextToBinary(text, binary);
    } catch (const vantor::Exception& e) {
      throw std::runtime_error(path + ": " + e.Message());
    }
    bytes = binary.Bytes();
  }
  // The root is made and marked as designed before it is read, so that every component
  // read into it is designed from the start, as a designer loads a form.
  TMemoryStream in(bytes);
  const TypeInfo& info = FormClass(TReader(in).ReadRootClassName());
  std::unique_ptr<TComponent> made(info.CreateComponent()(nullptr));
  made->SetDesigning(true);
  in.SetPosition(0);
  TReader(in).ReadRootComponent(made.get());
  auto* form = dynamic_cast<TForm*>(made.release());
  assert(form != nullptr);
  Adopt(form);
}

void Session::Save(const std::string& path, const std::string& form) {
  if (form != "text" && form != "binary") throw std::runtime_error("save writes text or binary, not '" + form + "'");
  TFormDesigner& designer = RequireDesigner();
  TMemoryStream binary;
  TWriter(binary).WriteRootComponent(form_.get());
  std::string bytes;
  if (form == "binary") {
    bytes = binary.ToString();
  } else {
    binary.SetPosition(0);
    TMemoryStream text;
    ObjectBinaryToText(binary, text);
    bytes = text.ToString();
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
  designer.ClearModified();
  out_ << "saved " << form_->Name() << " to " << path << " (" << form << ")\n";
}

// --- Components ---

TFormDesigner& Session::RequireDesigner() const {
  if (!designer_) throw std::runtime_error("no form is open: new NAME or open FILE starts one");
  return *designer_;
}

TComponent* Session::FindComponent(std::string_view name) const {
  TComponent* c = RequireDesigner().GetComponent(name);
  if (c != nullptr) return c;
  std::string names;
  designer_->GetComponentNames(TComponent::StaticType(), [&names](const std::string& n) { names += " " + n; });
  throw std::runtime_error("there is no component '" + std::string(name) + "' on " + form_->Name() +
                           " (components:" + names + ")");
}

void Session::Drop(const std::string& class_name, const std::string& parent_name) {
  TFormDesigner& designer = RequireDesigner();
  const TypeInfo* info = Registry().FindPaletteClass(class_name);
  if (info == nullptr) {
    throw std::runtime_error(GetClass(class_name) != nullptr
                                 ? class_name + " is not on the palette (palette lists what can be dropped)"
                                 : "there is no class '" + class_name + "' on the palette (palette lists them)");
  }
  TComponent* parent = form_.get();
  if (!parent_name.empty()) {
    parent = FindComponent(parent_name);
    if (dynamic_cast<TWinControl*>(parent) == nullptr) {
      throw std::runtime_error(parent_name + " is a " + parent->ClassName() + ", which holds no controls");
    }
  }
  TComponent* c = designer.CreateComponent(*info, parent);
  designer.SelectComponent(c);
  out_ << "dropped " << c->Name() << ": " << c->ClassName() << '\n';
}

void Session::Delete(const std::string& name) {
  TFormDesigner& designer = RequireDesigner();
  TComponent* c = FindComponent(name);
  if (c == form_.get()) throw std::runtime_error(name + " is the form itself; new or open replaces it");
  // The selection may hold the component or one of its parts; it must not outlive them.
  designer.SelectComponent(nullptr);
  delete c;
  // Its editor window released itself; it goes now, not at some later command.
  Application->ProcessMessages();
  designer.Modified();
}

void Session::Rename(const std::string& name, const std::string& new_name) {
  TComponent* c = FindComponent(name);
  c->SetName(new_name);
  RequireDesigner().Modified();
}

// --- Properties ---

TPersistent* Session::ResolveObject(std::string_view path) const {
  const std::vector<PathStep> steps = ParsePath(path);
  TPersistent* object = FindComponent(steps.front().name);
  std::string where = steps.front().name;
  for (std::size_t i = 1; i < steps.size(); ++i) {
    const PathStep& step = steps[i];
    const PropInfo* prop = object->ClassType().FindProperty(step.name);
    if (prop == nullptr) {
      throw std::runtime_error(object->ClassName() + " has no published property '" + step.name + "' (props " +
                               where + " lists them)");
    }
    where += "." + prop->name;
    if (prop->kind != TPropKind::Object && prop->kind != TPropKind::Collection) {
      throw std::runtime_error(where + " is a value, not an object with properties of its own");
    }
    TPersistent* value = prop->get_object(*object);
    if (value == nullptr) throw std::runtime_error(where + " is empty");
    if (step.index) {
      auto* collection = dynamic_cast<TCollection*>(value);
      if (collection == nullptr) throw std::runtime_error(where + " has no items to count");
      if (*step.index >= collection->Count()) {
        const int count = collection->Count();
        throw std::runtime_error(where + " has " + std::to_string(count) + (count == 1 ? " item" : " items") +
                                 "; [" + std::to_string(*step.index) + "] is none of them");
      }
      value = collection->Items(*step.index);
      where += "[" + std::to_string(*step.index) + "]";
    }
    object = value;
  }
  return object;
}

std::pair<TPersistent*, const PropInfo*> Session::ResolveProperty(std::string_view path) const {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) {
    throw std::runtime_error("'" + std::string(path) + "' names a component; name one of its properties, as in " +
                             std::string(path) + ".Name");
  }
  const std::vector<PathStep> steps = ParsePath(path);  // checks the whole path's shape first
  const PathStep& last = steps.back();
  if (last.index) {
    throw std::runtime_error("'" + std::string(path) + "' is an item; name one of its properties, as in " +
                             std::string(path) + ".FieldName");
  }
  TPersistent* object = ResolveObject(path.substr(0, dot));
  const PropInfo* prop = object->ClassType().FindProperty(last.name);
  if (prop == nullptr) {
    throw std::runtime_error(object->ClassName() + " has no published property '" + last.name + "' (props " +
                             std::string(path.substr(0, dot)) + " lists them)");
  }
  return {object, prop};
}

std::unique_ptr<TPropertyEditor> Session::EditorFor(std::string_view path) const {
  auto [object, prop] = ResolveProperty(path);
  return GetPropertyEditor(RequireDesigner(), {object}, *prop);
}

void Session::Props(const std::string& path) {
  TPersistent* object = ResolveObject(path);
  if (const auto* collection = dynamic_cast<const TCollection*>(object)) return WriteItems(out_, *collection);
  WriteProperties(out_, GetComponentProperties(RequireDesigner(), {object}));
}

void Session::Selection() {
  const auto& selection = RequireDesigner().GetSelections();
  if (selection.empty()) out_ << "(nothing selected)\n";
  for (const TPersistent* p : selection) out_ << p->GetNamePath() << ": " << p->ClassName() << '\n';
}

// --- Component editors ---

void Session::Verbs(const std::string& name) {
  auto editor = GetComponentEditor(FindComponent(name), RequireDesigner());
  if (editor->GetVerbCount() == 0) out_ << "(no verbs)\n";
  for (int i = 0; i < editor->GetVerbCount(); ++i) out_ << i << ": " << editor->GetVerb(i) << '\n';
}

void Session::Verb(const std::string& name, const std::string& verb) {
  auto editor = GetComponentEditor(FindComponent(name), RequireDesigner());
  const int count = editor->GetVerbCount();
  const int index = WholeNumber(verb);
  if (index < 0 || index >= count) {
    throw std::runtime_error(count == 0 ? name + " has no verbs"
                                        : "'" + verb + "' is no verb of " + name + " (verbs 0.." +
                                              std::to_string(count - 1) + "; verbs " + name + " lists them)");
  }
  editor->ExecuteVerb(index);
}

void Session::Window() {
  TForm* form = Screen->ActiveForm();
  if (form == nullptr || !form->Visible()) {
    out_ << "(no window)\n";
    return;
  }
  WriteWindow(out_, *form);
}

// --- The program ---

int Main(std::span<const std::string_view> args, std::string_view program, std::ostream& out, std::ostream& err) {
  const std::string name(program.substr(program.rfind('/') == std::string_view::npos ? 0 : program.rfind('/') + 1));
  if (args.empty()) {
    err << UsageText(name);
    return 2;
  }
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    out << UsageText(name);
    return 0;
  }
  std::string where = "argument ";
  std::string script;
  std::vector<Command> commands;
  try {
    if (args[0] == "--script") {
      if (args.size() != 2) throw ScriptError("--script takes one file, and no commands beside it");
      const std::string path(args[1]);
      script = path;
      where = path + ": line ";
      if (path == "-") {
        commands = ParseScript(std::cin);
      } else {
        std::ifstream in(path);
        if (!in) throw ScriptError("cannot read " + path + ": " + std::strerror(errno));
        commands = ParseScript(in);
      }
    } else {
      for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i].starts_with("--")) throw ScriptError("unknown option " + std::string(args[i]));
        try {
          if (auto c = ParseLine(args[i], static_cast<int>(i) + 1)) commands.push_back(std::move(*c));
        } catch (const ScriptError& e) {
          throw ScriptError(where + std::to_string(i + 1) + ": " + e.what());
        }
      }
    }
  } catch (const ScriptError& e) {
    err << name << ": " << (script.empty() ? std::string() : script + ": ") << e.what() << "\n(" << name << " --help explains the commands)\n";
    return 2;
  }

  Session session(out);
  try {
    session.Run(commands);
  } catch (const CommandError& e) {
    out.flush();
    err << name << ": " << where << e.Line() << ": " << e.what() << '\n';
    for (const Command& c : commands) {
      if (c.line == e.Line()) err << "    " << c.text << '\n';
    }
    return 2;
  }
  if (session.Designer() != nullptr && session.Designer()->IsModified()) {
    err << name << ": note: " << session.Form()->Name() << " has changes that were not saved\n";
  }
  return 0;
}

}  // namespace designer
