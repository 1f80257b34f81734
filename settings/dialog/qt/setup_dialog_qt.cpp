#include "settings/dialog/qt/setup_dialog_qt.h"

#include <QAccessibleWidget>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QToolButton>

#include <algorithm>
#include <functional>

#include "settings/dialog/count_menu.h"
#include "settings/dialog/qt/days_off_dialog_qt.h"
#include "support/display_scale.h"
#include "support/integer_rule.h"
#include "support/qt/font_faces.h"
#include "support/ui_texts.h"

namespace kestrival {
namespace {

QString Q(const char16_t* text) { return text ? QString::fromUtf16(text) : QString(); }
QString Q(const std::u16string& text) { return QString::fromStdU16String(text); }

QColor ColourOf(std::int32_t colour) {
    const auto c = static_cast<std::uint32_t>(colour);
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

// A colour swatch: a rectangle of its colour, outlined; a click opens the colour picker.
class Swatch final : public QWidget {
public:
    Swatch(QWidget* parent, std::int32_t outline) : QWidget(parent), outline_(outline) {
        setCursor(Qt::PointingHandCursor);
    }
    std::int32_t colour = 0;
    std::function<void()> onRelease;

    // Shown again, and told to readers as the swatch's description.
    void SetColour(std::int32_t value) {
        colour = value;
        setAccessibleDescription(QString::fromStdU16String(ColourWords(value)));
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), ColourOf(colour));
        painter.setPen(ColourOf(outline_));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    void mouseReleaseEvent(QMouseEvent*) override {
        if (onRelease) onRelease();
    }

private:
    std::int32_t outline_;
};

}  // namespace

// A swatch is a button to readers: a click on it opens the colour picker.
QAccessibleInterface* SwatchAccessibleFactory(const QString&, QObject* object) {
    if (auto* swatch = dynamic_cast<Swatch*>(object)) return new QAccessibleWidget(swatch, QAccessible::Button);
    return nullptr;
}

std::int32_t QtSetupDialog::S(std::int32_t length) const { return ScaleLength(length, dpi_); }

QtSetupDialog::QtSetupDialog(QWidget* owner, const RenderStyle& style, const LocalClock& clock, std::int32_t dpi)
    : QDialog(owner), style_(style), clock_(clock), dpi_(dpi) {
    setWindowTitle(Q(texts::kSetupCaption));
    setFixedSize(S(kSetupClientWidth), S(kSetupClientHeight));
    // The gadget's face in regular weight, judged at the layout's own size, as on Windows.
    QFont font(QString::fromStdU16String(ChooseQtFace(style.Font.face, (style.Font.points * kDesignDpi + 36) / 72)));
    font.setPixelSize(std::max(1, (style.Font.points * dpi + 36) / 72));
    font.setBold(false);
    setFont(font);
    auto* product = new QLabel(Q(texts::kProductCaption), this);
    QFont productFont = font;
    productFont.setPixelSize(S(12));
    productFont.setBold(true);
    product->setFont(productFont);
    product->setGeometry(S(4), S(2), S(71), S(14));
    grid_ = new GoalGridWidget(
        this, controls_.SGdata, [this] { return Today(); }, dpi);
    grid_->setGeometry(S(4), S(20), S(300), S(473));
    grid_->setAccessibleName(Q(ControlName(setup_ids::SGdata)));
    grid_->onCellChanged = [this] {
        SGdataClick(controls_);
        widgets_[setup_ids::BTdel]->setEnabled(controls_.BTdelEnabled);
    };
    grid_->onDaysOff = [this] {
        std::u16string typed = controls_.EDoffd;
        if (EditDaysOff(this, typed)) controls_.EDoffd = DaysOffText(typed);
    };
    std::int32_t label = setup_ids::FirstLabel;
    QWidget* previous = nullptr;
    for (const ControlRow& row : SetupFormRows()) AddRow(row, row.id ? row.id : label++, previous);
}

void QtSetupDialog::AddRow(const ControlRow& row, std::int32_t id, QWidget*& previous) {
    const QRect place(S(row.group.x + row.x), S(row.group.y + row.y), S(row.w), S(row.h));
    QWidget* widget = nullptr;
    switch (row.kind) {
        case ControlKind::kGroup:
            widget = new QGroupBox(Q(row.caption), this);
            widget->lower();
            break;
        case ControlKind::kLabel:
        case ControlKind::kLabelBefore: {
            auto* text = new QLabel(Q(row.caption), this);
            text->adjustSize();
            const std::int32_t width = text->width();
            const std::int32_t left = row.kind == ControlKind::kLabel ? place.x() : place.x() - width - S(4);
            text->setGeometry(left, place.y() + S(2), width + S(1), S(15));
            widget = text;
            break;
        }
        case ControlKind::kEdit: {
            auto* edit = new QLineEdit(this);
            if (row.high > 0) edit->setMaxLength(row.high);
            if (id == setup_ids::EDtbdy) {
                // The birth date is written out in full when it is left, as on Windows.
                QObject::connect(edit, &QLineEdit::editingFinished, [this, edit] {
                    controls_.EDtbdy = edit->text().toStdU16String();
                    EDtbdyExit(controls_, Today());
                    edit->setText(QString::fromStdU16String(controls_.EDtbdy));
                });
            }
            widget = edit;
            break;
        }
        case ControlKind::kSpinner: {
            // Steps the number in the edit before it, within its range, as an up-down control does.
            auto* edit = static_cast<QLineEdit*>(previous);
            auto* up = new QToolButton(this);
            auto* down = new QToolButton(this);
            up->setArrowType(Qt::UpArrow);
            down->setArrowType(Qt::DownArrow);
            up->setAccessibleName(Q(ControlName(id) + texts::kReadSpinUp));
            down->setAccessibleName(Q(ControlName(id) + texts::kReadSpinDown));
            up->setGeometry(place.x(), place.y(), place.width(), place.height() / 2);
            down->setGeometry(place.x(), place.y() + place.height() / 2, place.width(),
                              place.height() - place.height() / 2);
            const std::int32_t low = row.low, high = row.high;
            auto step = [edit, low, high](std::int32_t by) {
                const std::int32_t value = StrToIntDef(edit->text().toStdU16String(), low);
                edit->setText(QString::number(std::clamp(value + by, low, high)));
            };
            QObject::connect(up, &QToolButton::clicked, [step] { step(1); });
            QObject::connect(down, &QToolButton::clicked, [step] { step(-1); });
            widgets_[id] = up;
            return;
        }
        case ControlKind::kFirstRadio:
        case ControlKind::kRadio: {
            auto* radio = new QRadioButton(Q(row.caption), this);
            if (row.kind == ControlKind::kFirstRadio || !radioGroup_) radioGroup_ = new QButtonGroup(this);
            radioGroup_->addButton(radio);
            if (id == setup_ids::RBhlft || id == setup_ids::RBhrit || id == setup_ids::RBvtop ||
                id == setup_ids::RBvbtm) {
                QObject::connect(radio, &QRadioButton::clicked, [this, id] { OnAnchor(id); });
            }
            widget = radio;
            break;
        }
        case ControlKind::kCheck:
            widget = new QCheckBox(Q(row.caption), this);
            break;
        case ControlKind::kSwatch: {
            auto* swatch = new Swatch(this, style_.SwatchPenColor);
            swatch->onRelease = [this, id] { OnSwatch(id); };
            widget = swatch;
            break;
        }
        case ControlKind::kTrackBar: {
            auto* slider = new QSlider(Qt::Horizontal, this);
            slider->setRange(row.low, row.high);
            slider->setTickPosition(QSlider::TicksAbove);
            widget = slider;
            break;
        }
        case ControlKind::kDefaultButton:
        case ControlKind::kButton: {
            auto* button = new QPushButton(Q(row.caption), this);
            button->setAutoDefault(false);
            if (row.kind == ControlKind::kDefaultButton) button->setDefault(true);
            if (id == setup_ids::BTok) QObject::connect(button, &QPushButton::clicked, [this] { OnOk(); });
            if (id == setup_ids::BTcancel) QObject::connect(button, &QPushButton::clicked, [this] { reject(); });
            if (id == setup_ids::BTdel) {
                QObject::connect(button, &QPushButton::clicked, [this] {
                    grid_->TakeEditorText();
                    BTdelClick(controls_);
                    grid_->Refresh();
                    grid_->setFocus();
                });
            }
            widget = button;
            break;
        }
    }
    if (row.kind != ControlKind::kLabel && row.kind != ControlKind::kLabelBefore) {
        QRect bounds = place;
        // Qt's style draws a wider mark than Windows: a radio button or check box keeps its caption whole.
        const bool marked =
            row.kind == ControlKind::kFirstRadio || row.kind == ControlKind::kRadio || row.kind == ControlKind::kCheck;
        if (marked) bounds.setWidth(std::max(bounds.width(), widget->sizeHint().width()));
        widget->setGeometry(bounds);
        // Readers name a control by the label beside it; on this layout nothing ties them but place.
        if (row.kind != ControlKind::kGroup) widget->setAccessibleName(Q(ControlName(id)));
    }
    widgets_[id] = widget;
    previous = widget;
}

std::int32_t QtSetupDialog::ShowModal(std::int32_t tag, const WindowGeometry& geometry, ExecuteSetting& setting,
                                      GoalList& goals) {
    setting_ = &setting;
    goals_ = &goals;
    geometry_ = geometry;
    FormShow(controls_, setting, goals, geometry, tag);
    Push();
    grid_->setFocus();
    const int result = exec();
    setting_ = nullptr;
    goals_ = nullptr;
    return result == QDialog::Accepted ? 1 : 2;
}

void QtSetupDialog::Push() {
    for (const ControlRow& row : SetupFormRows()) {
        const ControlBinding& bound = row.binding;
        QWidget* widget = widgets_[row.id];
        if (bound.text) static_cast<QLineEdit*>(widget)->setText(QString::fromStdU16String(controls_.*bound.text));
        if (bound.checked) static_cast<QAbstractButton*>(widget)->setChecked(controls_.*bound.checked);
        if (bound.colour) static_cast<Swatch*>(widget)->SetColour(controls_.*bound.colour);
        if (bound.position) static_cast<QSlider*>(widget)->setValue(controls_.*bound.position);
    }
    widgets_[setup_ids::BTdel]->setEnabled(controls_.BTdelEnabled);
    grid_->Refresh();
}

void QtSetupDialog::Pull() {
    for (const ControlRow& row : SetupFormRows()) {
        const ControlBinding& bound = row.binding;
        QWidget* widget = widgets_[row.id];
        if (bound.text) controls_.*bound.text = static_cast<QLineEdit*>(widget)->text().toStdU16String();
        if (bound.checked) controls_.*bound.checked = static_cast<QAbstractButton*>(widget)->isChecked();
        if (bound.colour) controls_.*bound.colour = static_cast<Swatch*>(widget)->colour;
        if (bound.position) controls_.*bound.position = static_cast<QSlider*>(widget)->value();
    }
    grid_->TakeEditorText();
}

void QtSetupDialog::OnOk() {
    if (!setting_ || !goals_) return;
    Pull();
    if (BTokClick(controls_, *setting_, *goals_, Today())) {
        accept();
        return;
    }
    // The checks failed: the normalised birth date and the offending row are shown.
    static_cast<QLineEdit*>(widgets_[setup_ids::EDtbdy])->setText(QString::fromStdU16String(controls_.EDtbdy));
    widgets_[setup_ids::BTdel]->setEnabled(controls_.BTdelEnabled);
    grid_->Refresh();
}

void QtSetupDialog::OnAnchor(std::int32_t id) {
    Pull();
    if (id == setup_ids::RBhlft) RBhlftClick(controls_, geometry_);
    if (id == setup_ids::RBhrit) RBhritClick(controls_, geometry_);
    if (id == setup_ids::RBvtop) RBvtopClick(controls_, geometry_);
    if (id == setup_ids::RBvbtm) RBvbtmClick(controls_, geometry_);
    static_cast<QLineEdit*>(widgets_[setup_ids::EDhofs])->setText(QString::fromStdU16String(controls_.EDhofs));
    static_cast<QLineEdit*>(widgets_[setup_ids::EDvofs])->setText(QString::fromStdU16String(controls_.EDvofs));
}

void QtSetupDialog::OnSwatch(std::int32_t id) {
    auto* swatch = static_cast<Swatch*>(widgets_[id]);
    const QColor chosen = QColorDialog::getColor(ColourOf(swatch->colour), this);
    if (!chosen.isValid()) return;
    swatch->SetColour(chosen.red() | (chosen.green() << 8) | (chosen.blue() << 16));
}

}  // namespace kestrival
