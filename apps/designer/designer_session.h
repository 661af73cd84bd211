#pragma once
// One design session of the designer program: the form being designed, its form
// designer, and the palette and editor registrations the packages made. Commands
// (designer_script.h) run against it one after the other; the first one that fails
// stops the run with its line and the reason.
//
// Input commands are played through the scripted user on the window in front. Each
// command takes the input lines that follow it: they are queued before the command runs,
// so that a window the command opens modally plays them in its own loop, and whatever the
// command leaves of them is played after it on the window that then shows (the fields
// editor, which shows without a modal loop).

#include <iosfwd>
#include <memory>
#include <optional>
#include <utility>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/design/design_registry.h>
#include <vantor/platform/design/form_designer.h>
#include <vantor/platform/ui/application.h>
#include "designer_script.h"

namespace vantor {
class TForm;
class TPersistent;
struct PropInfo;
}  // namespace vantor

namespace designer {

// A command that cannot be carried out: an unknown name, a value the property's editor
// refuses, an error a window reported. `line` is the line of the command (or of the
// input step) that failed.
class CommandError : public std::runtime_error {
 public:
  CommandError(int line, const std::string& message) : std::runtime_error(message), line_(line) {}
  int Line() const { return line_; }

 private:
  int line_;
};

class Session {
 public:
  // Makes the registrations (the palette pages, the package's editors) in a registry of
  // its own, current while the session lives. Results of commands go to `out`.
  explicit Session(std::ostream& out);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session();

  // Runs the commands in order. Throws CommandError for the first that fails.
  void Run(std::span<const Command> commands);

  // The form being designed, or null before new or open.
  vantor::TForm* Form() const { return form_.get(); }
  vantor::TFormDesigner* Designer() const { return designer_.get(); }
  vantor::TDesignRegistry& Registry() { return registrations_.Registry(); }

  // The object a path names: a component, a sub-object, a collection or one of its items.
  vantor::TPersistent* ResolveObject(std::string_view path) const;
  // The registered editor of the property a path ends in ("DBFilterPanel1.DataSource").
  std::unique_ptr<vantor::TPropertyEditor> EditorFor(std::string_view path) const;

 private:
  class ExceptionHook;
  // Runs a design command; the input commands after it are queued already.
  void Execute(const Command& c);
  // Queues the next input commands: the answers to message boxes as they are (a box takes
  // its answer from the front of the queue), then one step that, when it plays, queues the
  // input command itself on the window that shows then and the commands after it.
  void QueueInputs();
  // Plays input command `c` on `form` (a step of the scripted user).
  void PlayInput(vantor::TForm& form, const Command& c);
  // Plays what the command left of the queued input on the window in front.
  void PlayRest();
  // The line of the answer at the front of the queue, which no box took.
  int UnusedAnswerLine() const;
  // Drops the input left and turns what went wrong into a CommandError.
  [[noreturn]] void Fail(int line, const std::string& message);

  void New(const std::string& name, const std::string& class_name);
  void Open(const std::string& path);
  void Save(const std::string& path, const std::string& form);
  void Drop(const std::string& class_name, const std::string& parent);
  void Delete(const std::string& name);
  void Rename(const std::string& name, const std::string& new_name);
  void Props(const std::string& path);
  void Verbs(const std::string& name);
  void Verb(const std::string& name, const std::string& verb);
  void Selection();
  void Window();

  // Replaces the designed form (and the designer) by `form`.
  void Adopt(vantor::TForm* form);
  vantor::TFormDesigner& RequireDesigner() const;
  vantor::TComponent* FindComponent(std::string_view name) const;
  // The property a path ends in, and the object it belongs to.
  std::pair<vantor::TPersistent*, const vantor::PropInfo*> ResolveProperty(std::string_view path) const;
  // Prints the message boxes shown since the last call, with the answer each was given.
  void ReportBoxes();

  std::ostream& out_;
  vantor::TScopedDesignRegistry registrations_;
  std::unique_ptr<vantor::TForm> form_;
  std::unique_ptr<vantor::TFormDesigner> designer_;

  // The input commands of the current command, the next one to queue, and the answers
  // queued with the last of them.
  std::vector<Command> inputs_;
  std::size_t next_input_ = 0;
  std::vector<int> answer_lines_;
  bool input_step_queued_ = false;
  // The line of the command or input step that runs now.
  int current_line_ = 0;
  // The first error a window reported while the current command ran (line, message).
  std::optional<std::pair<int, std::string>> reported_;
  std::size_t boxes_seen_ = 0;
};

// The whole program: reads the commands (from --script FILE or the arguments), runs them
// and reports a failure on `err` as "FILE: line N: message" (or "argument N: message"),
// followed by the failing line. Returns the exit code: 0 every
// command ran, 2 a command failed or the command line is wrong.
int Main(std::span<const std::string_view> args, std::string_view program, std::ostream& out,
         std::ostream& err);

}  // namespace designer
