#pragma once
// TfmFieldsSet: the modal form a dialog component shows its panel in: the bar of command
// buttons (Clear All, Setup) at the top, the panel in the middle, OK / Next / Cancel /
// Help at the bottom. It sizes itself around the panel's fields, up to the screen less
// the dialog's margins, centred, and runs the close protocol (csOk, csCancel, csNone).
// Its owner is always the dialog component. The layout comes from its form description
// ("fmFieldsSet"); TfmFind and TfmFilter read their own after it.
//
// Life of a form (made only by the dialog run, TFieldsSet::RunDialog):
//   constructed (description read) -> announced (DoCreate: options, the panel moved in,
//   Form set, laid out) -> shown modally: activated (once or more) and asked to close
//   (once or more) -> freed (the panel taken out, Form cleared).
//
// The session: the first activation of a showing opens the field list's update bracket
// and snapshots the values; the close query that lets the form close (Cancel restoring
// the snapshot first) closes both. A later activation (after the setup form, say) and a
// close query answered csNone leave the session as it is, so the bracket is opened and
// closed exactly once per showing and Cancel restores the values of the showing's start.
// A form freed without such a close query (an error left the modal loop) restores the
// snapshot and closes the bracket in its destructor.

#include <string>

#include <vantor/dialogs/fields_set.h>
#include <vantor/platform/ui/button.h>
#include <vantor/platform/ui/custom_panel.h>
#include <vantor/platform/ui/form.h>

namespace vantor {

class TfmFieldsSet : public TForm {
 public:
  // Reads the description; the dialog's run announces the form (NewForm), which builds it.
  explicit TfmFieldsSet(TFieldsSet* owner);
  // Closes a session still open (restoring the snapshot), takes the panel out and clears
  // the dialog's Form.
  ~TfmFieldsSet() override;

  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }

  // The dialog component (the owner).
  TFieldsSet* FieldsSet() const { return fields_set_; }
  TPanelFieldsSet* Panel() const { return fields_set_->PanelFieldsSet(); }

  // Shows or hides the command buttons by the dialog's Options.
  virtual void SetOptions();
  // Caption, colours, fonts, and the size around the panel's fields (see UpdateCount).
  virtual void UpdateForm();
  // Shows the form modally; true when it closed with OK.
  virtual bool Execute();

  // A bracket around changes that each would lay the form out: the last EndUpdate lays it
  // out once (Changed).
  void BeginUpdate() { ++update_count_; }
  void EndUpdate();
  // UpdateForm unless a bracket is open.
  void Changed();
  int UpdateCount() const { return update_count_; }
  // The caption the description gave.
  const std::string& DefaultCaption() const { return default_caption_; }
  // True from the first activation of a showing until the close query that lets it close.
  bool SessionOpen() const { return session_open_; }

  // ---- handlers bound by the description ----
  virtual void FormActivate(TObject* sender);
  virtual void FormCloseQuery(TObject* sender, bool& can_close);
  void bbClearClick(TObject* sender);
  void bbSetupClick(TObject* sender);
  void bbHelpClick(TObject* sender);

  // ---- controls of the description ----
  TPanel* paTop = nullptr;
  TPanel* paBottom = nullptr;
  TPanel* paOk = nullptr;
  TBitBtn* bbOk = nullptr;
  TPanel* paHelp = nullptr;
  TBitBtn* bbHelp = nullptr;
  TPanel* paClear = nullptr;
  TBitBtn* bbClear = nullptr;
  TPanel* paSetup = nullptr;
  TBitBtn* bbSetup = nullptr;
  TPanel* paCancel = nullptr;
  TBitBtn* bbCancel = nullptr;
  TPanel* paNext = nullptr;
  TBitBtn* bbNext = nullptr;

 protected:
  // The building steps once the whole form exists: the description's caption kept, help
  // context, options, the panel moved in, the dialog's Form set, the layout; then OnCreate.
  void DoCreate() override;

 private:
  // Ends the session: restores the snapshot when asked, empties it and closes the list's
  // bracket (also when the restore fails).
  void EndSession(bool restore);

  TFieldsSet* fields_set_;
  int update_count_ = 0;
  std::string default_caption_;
  bool session_open_ = false;
  int list_updates_before_ = 0;  // the list's nesting when the session opened
};

}  // namespace vantor
