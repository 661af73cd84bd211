#pragma once
// TDialogPanel<Base>: a find or filter panel adapted to live inside a dialog component
// (TFieldsSet). It differs from a panel on a form in three ways:
//   - sizing: when its automatic sizing asks for a new height or width, the dialog form is
//     resized around it and centred on the screen instead (the panel itself is aligned to
//     the form's client area and follows the form);
//   - relayout: a relayout request becomes a relayout of the whole dialog form
//     (TfmFieldsSet::Changed), except while the panel handles its own resizing, when it
//     re-flows its fields within its current size (the user resizing the form);
//   - applying: while its form shows it leaves applying the values to the dialog;
//   - state and look: it reports the dialog's component state as its own (loading,
//     designing, destroying), keeps the dialog flavour of style options, and ignores the
//     font, colour, 3-D and cursor notices of the form it sits on.
// Without a dialog owner it reports "loading" for ever and so never lays out or updates.
// TDBFindComponent and TDBFilterComponent are the two instances the dialogs make.

#include <memory>

#include <vantor/engines/filter_panel.h>
#include <vantor/engines/find_panel.h>

namespace vantor {

class TFieldsSet;
class TfmFieldsSet;

template <typename Base>
class TDialogPanel : public Base {
 public:
  // The base panel; FieldsSet is the owner when that is a dialog; aligned to the client area.
  explicit TDialogPanel(TComponent* owner);
  // From here on the panel behaves as one without a dialog.
  ~TDialogPanel() override;

  // The owning dialog, or null.
  TFieldsSet* FieldsSet() const { return fields_set_; }

  // The form's new height: the fields' height plus the bars, the frame and the border.
  void SetHeight(int value) override;
  // The form's new width: the fields' width plus the frame and the border.
  void SetWidth(int value) override;
  // A relayout of the dialog form (see the class comment); nothing without a showing form.
  void PaintComponent() override;
  // The dialog's state; only csLoading without a dialog.
  TComponentState GetComponentState() const override;
  // Nothing while the dialog's form shows: leaving an edit or the panel there does not
  // apply the values, because the dialog applies them once, after its form has closed
  // (whatever the update state, one search or one filter per confirmed Execute).
  void ValuesChanged() override;

 protected:
  std::unique_ptr<TStyleOptions> CreateStyleOptions() override;
  void WndProc(TMessage& message) override;

 private:
  // The dialog form showing the panel, or null.
  TfmFieldsSet* ShowingForm() const;

  TFieldsSet* fields_set_;
};

// Instantiated once, with the members, in dialog_panel.cpp.
extern template class TDialogPanel<TDBCustomFindPanel>;
extern template class TDialogPanel<TDBCustomFilterPanel>;

// The inner panel of TDBFindDialog: it never searches on its own (UpdateState usNone); the
// dialog searches once its form has closed.
class TDBFindComponent : public TDialogPanel<TDBCustomFindPanel> {
 public:
  explicit TDBFindComponent(TComponent* owner);
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
};

// The inner panel of TDBFilterDialog.
class TDBFilterComponent : public TDialogPanel<TDBCustomFilterPanel> {
 public:
  explicit TDBFilterComponent(TComponent* owner) : TDialogPanel(owner) {}
  static const TypeInfo& StaticType();
  const TypeInfo& ClassType() const override { return StaticType(); }
};

}  // namespace vantor
