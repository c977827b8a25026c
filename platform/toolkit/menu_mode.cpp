// The menu bar's keyboard mode, as Windows' menu mode: F10 opens the first title's popup;
// after Escape closed a popup the bar keeps the keyboard with its title highlighted (Qt's
// own style showed nothing then, and the next keys went to an invisible menu bar); F10
// again or Escape leaves it, Shift+F10 leaves it and goes on to the focus window.
#include "platform/core/window_private.h"
#include "platform/toolkit/menu_qt.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace platform {

namespace {

// Draws the bar's current title as selected while the bar has the keyboard focus, and
// gives the bar its keyboard mode whatever the desktop's style says.
class MenuModeStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_MenuBar_AltKeyNavigation) {
            return 1;
        }
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element != CE_MenuBarItem || item == nullptr || widget == nullptr ||
            !widget->hasFocus() || !(item->state & State_Selected)) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        QStyleOptionMenuItem shown = *item;
        shown.state |= State_Sunken;
        QProxyStyle::drawControl(element, &shown, painter, widget);
    }
};

// F10 in the bar's keyboard mode: the press is taken, the release leaves the mode (the
// release would otherwise reach the window and enter it again); Shift+F10 leaves it and
// is handed to the focus window.
class MenuModeKeys : public QObject {
  public:
    explicit MenuModeKeys(QMenuBar* bar) : QObject(bar), m_bar(bar) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_bar ||
            (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)) {
            return false;
        }
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F10 || !m_bar->hasFocus()) {
            return false;
        }
        const bool shifted = key->modifiers() & Qt::ShiftModifier;
        if (event->type() == QEvent::KeyRelease || shifted) {
            Leave();
        }
        QWidget* focus = QApplication::focusWidget();
        if (shifted && event->type() == QEvent::KeyPress && focus != nullptr && focus != m_bar) {
            QKeyEvent handed(QEvent::KeyPress, key->key(), key->modifiers(), key->text());
            QCoreApplication::sendEvent(focus, &handed);
        }
        return true;
    }

  private:
    void Leave() {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(m_bar, &escape);
    }

    QMenuBar* m_bar;
};

QMenuBar* BarOf(HWND hWnd) {
    QWidget* widget = WindowWidget(hWnd);
    return widget != nullptr ? widget->window()->findChild<QMenuBar*>() : nullptr;
}

} // namespace

void PrepareMenuBar(QMenuBar* bar) {
    for (QObject* child : bar->children()) {
        if (dynamic_cast<MenuModeKeys*>(child) != nullptr) {
            return;
        }
    }
    auto* style = new MenuModeStyle;
    style->setParent(bar);
    bar->setStyle(style);
    bar->installEventFilter(new MenuModeKeys(bar));
}

// The first title opens its popup, as Alt with its letter would; Escape closes it and
// leaves the bar with the keyboard, Escape again gives the keyboard back.
void EnterMenuBarMode(HWND hWnd) {
    QMenuBar* bar = BarOf(hWnd);
    if (bar == nullptr || !bar->isVisible() || bar->actions().isEmpty() || bar->hasFocus()) {
        return;
    }
    bar->setActiveAction(bar->actions().first());
}

} // namespace platform
