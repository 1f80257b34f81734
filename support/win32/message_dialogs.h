#pragma once
// The message dialogs' Windows side: task dialogs where the system has them, message boxes elsewhere.
#include "support/message_dialogs.h"

namespace kestrival {

// Shows dialog requests with TaskDialogIndirect or MessageBoxW, owned by the active window.
class Win32DialogBackend : public DialogBackend {
public:
    std::int32_t Show(const DialogRequest& request) override;
};

}  // namespace kestrival
