#pragma once
// The small dialog that edits the user's days off on Linux: a line of text with an example.
#include <QWidget>

#include <string>

namespace kestrival {

// Shows the dialog over `owner` with `text`; on OK puts what was typed into `text` and returns true.
bool EditDaysOff(QWidget* owner, std::u16string& text);

}  // namespace kestrival
