#include "QtAccessible.h"

#include "FormWidget.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QSet>

namespace tk::qt {

namespace {

QSet<const QObject*>& passedOver() {
    static QSet<const QObject*> widgets;
    return widgets;
}

class PassedOver final : public QAccessibleWidget {
public:
    using QAccessibleWidget::QAccessibleWidget;
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.invisible = true;
        return state;
    }
};

QAccessibleInterface* interfaceFor(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) return nullptr;
    if (dynamic_cast<FormWidget*>(widget) != nullptr)
        return new QAccessibleWidget(
            widget, widget->windowType() == Qt::Dialog ? QAccessible::Dialog : QAccessible::Window);
    if (passedOver().contains(widget)) return new PassedOver(widget, QAccessible::StaticText);
    return nullptr;
}

} // namespace

void describeWindowsToScreenReaders() {
    QAccessible::installFactory(interfaceFor);
}

void passOverForScreenReaders(QWidget& widget) {
    if (passedOver().contains(&widget)) return;
    passedOver().insert(&widget);
    QObject::connect(&widget, &QObject::destroyed,
                     [](QObject* gone) { passedOver().remove(gone); });
    // Qt may have made the widget's interface already, before it was passed over.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(&widget))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

} // namespace tk::qt
