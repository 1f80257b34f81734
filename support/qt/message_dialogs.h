#pragma once
// The message dialogs' Qt side: a notice or a yes/no question in a QMessageBox.
#include "support/message_dialogs.h"

namespace kestrival {

class QtDialogBackend : public DialogBackend {
public:
    std::int32_t Show(const DialogRequest& request) override;
};

}  // namespace kestrival
