#pragma once
// The two modal messages of the program, with its caption: a notice with OK, and a yes/no question.
// From major version 6 they are task dialogs, below that message boxes; the choice is made once at
// start-up. The rules live here; a backend shows what they describe.
#include <cstdint>
#include <string>

namespace kestrival {

inline constexpr std::int32_t kIdYes = 6;
inline constexpr std::int32_t kIdNo = 7;
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
    bool informationIcon = false;  // task dialogs: the main icon
    bool defaultNo = false;        // task dialogs: No preselected
    std::uint32_t boxFlags = 0;    // message boxes: the style bits as passed
};

class DialogBackend {
public:
    virtual ~DialogBackend() = default;
    // Shows the message modally; returns the button pressed (6, 7, or 1 for OK), or 0 when the
    // dialog was dismissed some other way.
    virtual std::int32_t Show(const DialogRequest& request) = 0;
};

// Chooses task dialogs for major version 6 and later. `backend` must outlive every call below.
void InitMessageDialogs(std::int32_t osMajorVersion, DialogBackend* backend);
DialogRequest NoticeRequest(const std::u16string& text, std::uint32_t flags);
DialogRequest QuestionRequest(const std::u16string& text, std::uint32_t flags);
void ShowNotice(const std::u16string& text, std::uint32_t flags);
// 6 when the user chose Yes, 7 otherwise (No, Esc or the close box).
std::int32_t AskYesNo(const std::u16string& text, std::uint32_t flags);

}  // namespace kestrival
