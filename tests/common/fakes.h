#pragma once
// Test doubles for the interfaces through which the core reaches the system.
#include <optional>
#include <string>
#include <vector>

#include "settings/environment.h"
#include "support/message_dialogs.h"
#include "support/civil_date.h"

namespace kestrival {

class FixedClock : public LocalClock {
public:
    explicit FixedClock(LocalDateTime now) : now_(now) {}
    LocalDateTime Now() const override { return now_; }
    void Set(LocalDateTime now) { now_ = now; }

private:
    LocalDateTime now_;
};

class FakeEnvironment : public Environment {
public:
    std::vector<std::u16string> arguments;
    std::u16string programPath;
    std::optional<std::u16string> documents;
    OsVersion version{6, 1};
    Size screen{1920, 1080};
    char16_t separator = u'\\';

    std::vector<std::u16string> Arguments() const override {
        std::vector<std::u16string> all{programPath};
        all.insert(all.end(), arguments.begin(), arguments.end());
        return all;
    }
    std::u16string ProgramPath() const override { return programPath; }
    std::optional<std::u16string> DocumentsFolder() const override { return documents; }
    OsVersion Version() const override { return version; }
    Size ScreenSize() const override { return screen; }
    char16_t PathSeparator() const override { return separator; }
};

// Records every message instead of showing it, and answers with `answer`.
class RecordingBackend : public DialogBackend {
public:
    std::int32_t Show(const DialogRequest& request) override {
        requests.push_back(request);
        return answer;
    }
    std::vector<std::u16string> Texts() const {
        std::vector<std::u16string> texts;
        for (const auto& request : requests) texts.push_back(request.text);
        return texts;
    }
    std::vector<DialogRequest> requests;
    std::int32_t answer = 7;  // No
};

}  // namespace kestrival
