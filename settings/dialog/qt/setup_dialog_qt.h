#pragma once
// The settings dialog on Linux, made from the same control table as on Windows and driven by the
// same rules (setup_dialog.h): this class only makes the controls and moves values between them
// and the dialog's state.
#include <QAccessible>
#include <QButtonGroup>
#include <QDialog>

#include <map>

#include "settings/dialog/qt/goal_grid_widget.h"
#include "settings/dialog/setup_dialog.h"
#include "settings/dialog/setup_form_table.h"

namespace kestrival {

// For QAccessible::installFactory: the colour swatches as buttons, nothing for any other object.
QAccessibleInterface* SwatchAccessibleFactory(const QString& key, QObject* object);

class QtSetupDialog final : public QDialog {
public:
    QtSetupDialog(QWidget* owner, const RenderStyle& style, const LocalClock& clock, std::int32_t dpi);

    // Shows the dialog modally; 1 after OK committed the edits, 2 after cancel.
    std::int32_t ShowModal(std::int32_t tag, const WindowGeometry& geometry, ExecuteSetting& setting, GoalList& goals);

private:
    void AddRow(const ControlRow& row, std::int32_t id, QWidget*& previous);
    void Push();
    void Pull();
    void OnOk();
    void OnAnchor(std::int32_t id);
    void OnSwatch(std::int32_t id);
    CivilDate Today() const { return clock_.Now().date; }
    std::int32_t S(std::int32_t length) const;

    const RenderStyle& style_;
    const LocalClock& clock_;
    std::int32_t dpi_;
    QButtonGroup* radioGroup_ = nullptr;
    SetupControls controls_;
    std::map<std::int32_t, QWidget*> widgets_;
    GoalGridWidget* grid_ = nullptr;
    WindowGeometry geometry_;
    ExecuteSetting* setting_ = nullptr;
    GoalList* goals_ = nullptr;
};

}  // namespace kestrival
