#pragma once
// The designer in a window: a form of the library's own controls around one design
// session. The palette (a page and its classes, "Drop"), the designed form's components
// with the verbs of the selected one's editor, and an inspector (the selected object's
// published properties, a value box offering the property editor's values, Enter to
// apply, "..." for an editor's dialog). "New", "Open..." and "Save" take the file name
// from the edit at the top.
//
// Every action is a command of the scripted designer, run by the same session: the
// window builds the command a script line would hold, hands it to Session::Run and shows
// what it printed, or its error, in the status line. The command lines go to `echo` as
// well, so a session in the window reads back as a script.

#include <iosfwd>
#include <memory>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/ui/form.h>
#include "designer_session.h"

namespace vantor {
class TButton;
class TComboBox;
class TEdit;
class TLabel;
class TListBox;
class TPanel;
}  // namespace vantor

namespace designer {

class DesignerWindow : public vantor::TForm {
 public:
  explicit DesignerWindow(std::ostream& echo);
  ~DesignerWindow() override;

  Session& GetSession() { return *session_; }
  // Runs one command as the window does for a click; false when it failed (the status
  // line then holds the reason).
  bool Perform(const std::string& name, std::vector<std::string> args);
  // Runs the commands of a script (as --script does before the window shows), then
  // brings the window up to date. CommandError for the first command that fails.
  void RunScript(std::span<const Command> commands);
  std::string StatusText() const;
  // The path of the object the inspector shows ("DBFilterPanel1.Fields[0]"); empty for none.
  const std::string& Inspected() const { return inspected_; }

  vantor::TComboBox* cbPages = nullptr;
  vantor::TListBox* lbClasses = nullptr;
  vantor::TButton* btDrop = nullptr;
  vantor::TListBox* lbComponents = nullptr;
  vantor::TListBox* lbVerbs = nullptr;
  vantor::TButton* btVerb = nullptr;
  vantor::TListBox* lbProps = nullptr;
  vantor::TLabel* lbPropName = nullptr;
  vantor::TComboBox* cbValue = nullptr;
  vantor::TButton* btEditProp = nullptr;
  vantor::TEdit* edFile = nullptr;
  vantor::TButton* btNew = nullptr;
  vantor::TButton* btOpen = nullptr;
  vantor::TButton* btSave = nullptr;

 private:
  void BuildControls();
  void ShowPage();
  void DropClicked();
  void ComponentClicked();
  void VerbClicked();
  void PropertyClicked();
  void ApplyValue();
  void EditProperty();
  void FileCommand(const std::string& command);

  // Brings the lists up to date with the session after a command.
  void Refresh();
  // Follows the designer's selection: one selected object is inspected.
  void HookDesigner();
  void SelectionChanged();
  // Shows the properties (and, for a component, the verbs) of the object a path names.
  void Inspect(const std::string& path);
  void FillProperties();
  // The property line chosen in the inspector, or -1.
  int ChosenProperty() const;
  std::string PropertyPath(int line) const;
  void SetStatus(const std::string& text);

  std::ostream& echo_;
  std::ostringstream out_;
  std::unique_ptr<Session> session_;
  vantor::TFormDesigner* hooked_ = nullptr;
  std::string inspected_;
  // The property names of the inspector's lines.
  std::vector<std::string> prop_names_;
  vantor::TPanel* status_ = nullptr;
};

// The window mode of the program: `--window [FILE]`, or `--screenshot FILE.png [FILE]`
// for a picture of the window made without a display; `--script SCRIPT` runs a script
// first. Returns the exit code (0 done, 1 no display, 2 a wrong argument or command).
int WindowMain(std::span<const std::string_view> args, std::string_view program, std::ostream& out,
               std::ostream& err);

// Whether the arguments ask for the window mode.
bool WantsWindow(std::span<const std::string_view> args);

}  // namespace designer
