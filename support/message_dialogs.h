#pragma once
// The two modal messages of the program, with its caption: a notice with OK, and a yes/no question.
// From major version 6 they are task dialogs, below that message boxes; the choice is made once at
// start-up. The rules live here; a backend shows what they describe.
#include <cstdint>
#include <string>

namespace kestrival {

// The buttons of a question, numbered as message boxes report them.
enum class Answer : std::int32_t { kYes = 6, kNo = 7 };
enum class NoticeKind { kPlain, kInformation };

// Message box style bits, as the message box path passes them on.
inline constexpr std::uint32_t kMbYesNo = 0x4;
inline constexpr std::uint32_t kMbIconInformation = 0x40;
inline constexpr std::uint32_t kMbDefButton2 = 0x100;

enum class DialogKind { kTaskDialog, kMessageBox };
enum class DialogButtons { kOk, kYesNo };

// Everything a backend needs to show one message.
struct DialogRequest {
    DialogKind kind = DialogKind::kMessageBox;
    std::u16string caption;
    std::u16string text;
    DialogButtons buttons = DialogButtons::kOk;
    bool informationIcon = false;         // task dialogs: the main icon
    Answer defaultAnswer = Answer::kYes;  // questions: the button preselected
    std::uint32_t boxFlags = 0;           // message boxes: the style bits
};

class DialogBackend {
public:
    virtual ~DialogBackend() = default;
    // Shows the message modally; returns the button pressed (6 for Yes, 7 for No, 1 for OK), or 0
    // when the dialog was dismissed some other way.
    virtual std::int32_t Show(const DialogRequest& request) = 0;
};

// Chooses task dialogs for major version 6 and later. `backend` must outlive every call below.
void InitMessageDialogs(std::int32_t osMajorVersion, DialogBackend* backend);
DialogRequest NoticeRequest(const std::u16string& text, NoticeKind kind);
DialogRequest QuestionRequest(const std::u16string& text, Answer defaultAnswer);
// The message box that says what a task dialog request says, for systems where the task dialog
// cannot be loaded: the same buttons, the same preselected answer, the same icon.
std::uint32_t FallbackBoxFlags(const DialogRequest& request);
void ShowNotice(const std::u16string& text, NoticeKind kind = NoticeKind::kInformation);
// Yes only when the user chose Yes; No for No, Esc or the close box.
Answer AskYesNo(const std::u16string& text, Answer defaultAnswer);

}  // namespace kestrival
