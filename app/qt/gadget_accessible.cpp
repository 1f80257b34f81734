#include "app/qt/gadget_accessible.h"

#include <QAccessibleWidget>
#include <QPointer>

#include <vector>

#include "app/qt/gadget_widget.h"
#include "support/qt/open_menu_accessible.h"

namespace kestrival {
namespace {

QString Q(const std::u16string& text) { return QString::fromStdU16String(text); }

// One goal panel. It has no object of its own: it reads the gadget's current reading each time,
// so a reader always hears the figures of the last paint pass.
class PanelAccessible final : public QAccessibleInterface {
public:
    PanelAccessible(GadgetWidget* gadget, std::size_t index) : gadget_(gadget), index_(index) {}

    bool isValid() const override { return gadget_ && index_ < Gadget().Reading().panels.size(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return gadget_ ? gadget_->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(gadget_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::StaticText; }

    QString text(QAccessible::Text t) const override {
        if (!isValid()) return {};
        const PanelReading& panel = Panel();
        if (t == QAccessible::Name) return Q(panel.name);
        if (t == QAccessible::Description) return Q(panel.description);
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid()) return {};
        const Rect& b = Panel().bounds;
        return {Gadget().mapToGlobal(QPoint(b.left, b.top)), QSize(b.right - b.left, b.bottom - b.top)};
    }

    QAccessible::State state() const override {
        QAccessible::State s;
        s.readOnly = true;
        if (!gadget_ || !gadget_->isVisible()) s.invisible = true;
        return s;
    }

private:
    const GadgetWidget& Gadget() const { return *static_cast<const GadgetWidget*>(gadget_.data()); }
    const PanelReading& Panel() const { return Gadget().Reading().panels[index_]; }

    QPointer<QWidget> gadget_;
    std::size_t index_;
};

// The gadget window: its name is the title band, its children the panels it shows now and, while
// it is open, its menu. A panel's interface stands for a place in the list of panels and reads
// whatever panel is there now.
class GadgetAccessible final : public QAccessibleWidget {
public:
    explicit GadgetAccessible(GadgetWidget* gadget) : QAccessibleWidget(gadget, QAccessible::Window) {}
    ~GadgetAccessible() override { ForgetPanels(); }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return Q(Gadget().Reading().name);
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return PanelCount() + (OpenMenuInterface(widget()) ? 1 : 0); }

    QAccessibleInterface* child(int index) const override {
        if (index == PanelCount()) return OpenMenuInterface(widget());
        if (index < 0 || index >= PanelCount()) return nullptr;
        const auto i = static_cast<std::size_t>(index);
        if (panels_.size() <= i) panels_.resize(i + 1, 0);
        if (panels_[i] == 0) {
            panels_[i] = QAccessible::registerAccessibleInterface(new PanelAccessible(&Gadget(), i));
        }
        return QAccessible::accessibleInterface(panels_[i]);
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child) return -1;
        if (child == OpenMenuInterface(widget())) return PanelCount();
        const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child));
        for (std::size_t i = 0; i < panels_.size(); ++i) {
            if (panels_[i] == id) return static_cast<int>(i);
        }
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint local = Gadget().mapFromGlobal(QPoint(x, y));
        const auto& panels = Gadget().Reading().panels;
        for (std::size_t i = 0; i < panels.size(); ++i) {
            const Rect& b = panels[i].bounds;
            if (local.x() >= b.left && local.x() < b.right && local.y() >= b.top && local.y() < b.bottom) {
                return child(static_cast<int>(i));
            }
        }
        return nullptr;
    }

    void ForgetPanels() {
        for (QAccessible::Id id : panels_) {
            if (id != 0) QAccessible::deleteAccessibleInterface(id);
        }
        panels_.clear();
    }

private:
    GadgetWidget& Gadget() const { return *static_cast<GadgetWidget*>(widget()); }
    int PanelCount() const { return static_cast<int>(Gadget().Reading().panels.size()); }

    mutable std::vector<QAccessible::Id> panels_;
};

}  // namespace

QAccessibleInterface* GadgetAccessibleFactory(const QString&, QObject* object) {
    // The gadget has no meta-object of its own, so its class name says nothing: the type decides.
    if (auto* gadget = dynamic_cast<GadgetWidget*>(object)) return new GadgetAccessible(gadget);
    return nullptr;
}

}  // namespace kestrival
