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

DialogRequest NoticeRequest(const std::u16string& text, std::uint32_t flags) {
    DialogRequest request;
    request.caption = kCaption;
    request.text = text;
    request.buttons = DialogButtons::kOk;
    if (useTaskDialog) {
        // The task dialog always shows the information icon and OK, whatever the flags say.
        request.kind = DialogKind::kTaskDialog;
        request.informationIcon = true;
    } else {
        request.kind = DialogKind::kMessageBox;
        request.boxFlags = flags;
    }
    return request;
}

DialogRequest QuestionRequest(const std::u16string& text, std::uint32_t flags) {
    DialogRequest request;
    request.caption = kCaption;
    request.text = text;
    request.buttons = DialogButtons::kYesNo;
    if (useTaskDialog) {
        request.kind = DialogKind::kTaskDialog;
        request.informationIcon = true;
        request.defaultNo = true;
    } else {
        request.kind = DialogKind::kMessageBox;
        request.boxFlags = flags | kMbYesNo;
    }
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
