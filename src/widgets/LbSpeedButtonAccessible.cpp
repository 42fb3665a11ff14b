#include "widgets/LbSpeedButtonAccessible.h"

#include <QAccessibleWidget>
#include <QKeySequence>

#include "widgets/LbSpeedButton.h"

namespace {
class TLbSpeedButtonAccessible : public QAccessibleWidget {
  public:
    explicit TLbSpeedButtonAccessible(TLbSpeedButton* button)
        : QAccessibleWidget(button, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            return SpokenCaption(Button()->Caption());
        }
        if (t == QAccessible::Accelerator) {
            return QKeySequence::mnemonic(Button()->Caption()).toString(QKeySequence::NativeText);
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = Button()->Down();
        return s;
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString& name) override {
        if (name == pressAction() && Button()->isEnabled()) {
            Button()->Click();
        }
    }

    QStringList keyBindingsForAction(const QString& name) const override {
        const QString accelerator = text(QAccessible::Accelerator);
        return name == pressAction() && !accelerator.isEmpty() ? QStringList{accelerator}
                                                               : QStringList();
    }

  private:
    TLbSpeedButton* Button() const { return static_cast<TLbSpeedButton*>(widget()); }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (className == QLatin1String("TLbSpeedButton") && object && object->isWidgetType()) {
        return new TLbSpeedButtonAccessible(static_cast<TLbSpeedButton*>(object));
    }
    return nullptr;
}
}  // namespace

QString SpokenCaption(const QString& caption) {
    QString spoken;
    for (int i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) {
            ++i;  // "&x" says x; "&&" says "&"
        }
        spoken += caption[i];
    }
    return spoken.simplified();  // spaces that place a caption on screen are not words
}

void InstallLbSpeedButtonAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}
