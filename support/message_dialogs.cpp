#include "support/message_dialogs.h"

namespace kestrival {
namespace {

constexpr const char16_t* kCaption = u"Kestrival";

bool useTaskDialog = false;
DialogBackend* dialogBackend = nullptr;

}  // namespace

void InitMessageDialogs(std::int32_t osMajorVersion, DialogBackend* backend) {
    useTaskDialog = osMajorVersion > 5;
    dialogBackend = backend;
}

namespace {

// What both messages share: the caption, the text, and the task dialog's information icon. A
// message box takes the caller's style bits as they are.
DialogRequest BaseRequest(const std::u16string& text, DialogButtons buttons, std::uint32_t boxFlags) {
    DialogRequest request;
    request.caption = kCaption;
    request.text = text;
    request.buttons = buttons;
    request.kind = useTaskDialog ? DialogKind::kTaskDialog : DialogKind::kMessageBox;
    request.informationIcon = useTaskDialog;
    if (!useTaskDialog) request.boxFlags = boxFlags;
    return request;
}

}  // namespace

DialogRequest NoticeRequest(const std::u16string& text, std::uint32_t flags) {
    // The task dialog always shows the information icon and OK, whatever the flags say.
    return BaseRequest(text, DialogButtons::kOk, flags);
}

DialogRequest QuestionRequest(const std::u16string& text, std::uint32_t flags) {
    DialogRequest request = BaseRequest(text, DialogButtons::kYesNo, flags | kMbYesNo);
    request.defaultNo = useTaskDialog;  // a message box takes its default from the flags
    return request;
}

void ShowNotice(const std::u16string& text, std::uint32_t flags) {
    if (dialogBackend) dialogBackend->Show(NoticeRequest(text, flags));
}

std::int32_t AskYesNo(const std::u16string& text, std::uint32_t flags) {
    if (!dialogBackend) return kIdNo;
    return dialogBackend->Show(QuestionRequest(text, flags)) == kIdYes ? kIdYes : kIdNo;
}

}  // namespace kestrival
