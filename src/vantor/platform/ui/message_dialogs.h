#pragma once
// Message boxes: ShowMessage, MessageDlg and the Win32-style MessageBox.
// Every box is recorded by the application object (Application->MessageBoxes()) and
// answered by the scripted user, which plays the person in front of the screen. A box
// that offers a choice and finds no queued answer shows as a window of its own when a
// window host is installed (message_form.h), and headless raises EScriptError rather
// than blocking.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include <vantor/platform/rtl/enum_names.h>
#include <vantor/platform/rtl/set.h>
#include <vantor/platform/ui/system.h>

namespace vantor {

using THelpContext = std::int32_t;
using TModalResult = int;

// Results of modal forms and message boxes, with the host's values (a message box
// returns the same numbers as IDOK ... IDNO).
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;

enum class TMsgDlgType : std::uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
using enum TMsgDlgType;

enum class TMsgDlgBtn : std::uint8_t { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbHelp };
using enum TMsgDlgBtn;
using TMsgDlgButtons = Set<TMsgDlgBtn>;

inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

template <>
struct EnumNames<TMsgDlgType> {
  static constexpr std::array<std::string_view, 5> value{"mtWarning", "mtError", "mtInformation",
                                                         "mtConfirmation", "mtCustom"};
};
template <>
struct EnumNames<TMsgDlgBtn> {
  static constexpr std::array<std::string_view, 9> value{
      "mbYes", "mbNo", "mbOK", "mbCancel", "mbAbort", "mbRetry", "mbIgnore", "mbAll", "mbHelp"};
};

// Win32 MessageBox button groups (MB_OK and the icon flags are in system.h).
inline constexpr std::uint32_t MB_OKCANCEL = 0x01;
inline constexpr std::uint32_t MB_ABORTRETRYIGNORE = 0x02;
inline constexpr std::uint32_t MB_YESNOCANCEL = 0x03;
inline constexpr std::uint32_t MB_YESNO = 0x04;
inline constexpr std::uint32_t MB_RETRYCANCEL = 0x05;
inline constexpr std::uint32_t MB_TYPEMASK = 0x0F;
inline constexpr std::uint32_t MB_ICONMASK = 0xF0;

// How a recorded box came to be shown.
enum class TMessageBoxKind : std::uint8_t { mkShowMessage, mkMessageDlg, mkMessageBox, mkException };
using enum TMessageBoxKind;

// One box as the user saw it, and what the user answered.
struct TMessageBoxRecord {
  TMessageBoxKind kind = mkShowMessage;
  std::string caption;
  std::string text;
  TMsgDlgType type = mtCustom;
  TMsgDlgButtons buttons;
  THelpContext help_context = 0;
  TModalResult result = mrNone;
};

// The modal result a button gives (mbHelp gives none: it does not close a box).
TModalResult ButtonResult(TMsgDlgBtn button);
// The caption of a MessageDlg box of that type ("Warning", "Error", "Information",
// "Confirm"); a custom box is captioned with the application's title.
std::string MessageDlgCaption(TMsgDlgType type);

// An information box with an OK button, captioned with the application's title.
// Having a single way out, it is acknowledged without a scripted answer.
void ShowMessage(std::string_view text);
// A box of the given type and buttons; returns the modal result of the chosen button.
// Raises EScriptError when the script holds no answer for it, and EInvalidOperation
// for an empty button set.
TModalResult MessageDlg(std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons,
                        THelpContext help_context);

}  // namespace vantor
