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

// What both messages share: the caption, the text, and the task dialog's information icon.
DialogRequest BaseRequest(const std::u16string& text, DialogButtons buttons) {
    DialogRequest request;
    request.caption = kCaption;
    request.text = text;
    request.buttons = buttons;
    request.kind = useTaskDialog ? DialogKind::kTaskDialog : DialogKind::kMessageBox;
    request.informationIcon = useTaskDialog;
    return request;
}

}  // namespace

DialogRequest NoticeRequest(const std::u16string& text, NoticeKind kind) {
    // The task dialog always shows the information icon and OK, whatever the kind; a message box
    // shows the kind's icon.
    DialogRequest request = BaseRequest(text, DialogButtons::kOk);
    if (!useTaskDialog && kind == NoticeKind::kInformation) request.boxFlags = kMbIconInformation;
    return request;
}

DialogRequest QuestionRequest(const std::u16string& text, Answer defaultAnswer) {
    DialogRequest request = BaseRequest(text, DialogButtons::kYesNo);
    request.defaultAnswer = defaultAnswer;
    if (!useTaskDialog) request.boxFlags = kMbYesNo | (defaultAnswer == Answer::kNo ? kMbDefButton2 : 0);
    return request;
}

std::uint32_t FallbackBoxFlags(const DialogRequest& request) {
    if (request.kind == DialogKind::kMessageBox) return request.boxFlags;
    std::uint32_t flags = request.informationIcon ? kMbIconInformation : 0;
    if (request.buttons == DialogButtons::kYesNo) {
        flags |= kMbYesNo | (request.defaultAnswer == Answer::kNo ? kMbDefButton2 : 0);
    }
    return flags;
}

void ShowNotice(const std::u16string& text, NoticeKind kind) {
    if (dialogBackend) dialogBackend->Show(NoticeRequest(text, kind));
}

Answer AskYesNo(const std::u16string& text, Answer defaultAnswer) {
    if (!dialogBackend) return Answer::kNo;
    const std::int32_t pressed = dialogBackend->Show(QuestionRequest(text, defaultAnswer));
    return pressed == static_cast<std::int32_t>(Answer::kYes) ? Answer::kYes : Answer::kNo;
}

}  // namespace kestrival
