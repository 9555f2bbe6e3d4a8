#include "app/FocusStyle.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QStyleOption>

namespace quorvel::app {

namespace {

void frame(QPainter* painter, const QRect& area) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(QColor(0, 70, 160), 2, Qt::DotLine));
    painter->drawRect(area.adjusted(1, 1, -2, -2));
    painter->restore();
}

}  // namespace

void FocusStyle::install() {
    if (!dynamic_cast<FocusStyle*>(QApplication::style()))
        QApplication::setStyle(new FocusStyle(QApplication::style()->name()));
}

void FocusStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const {
    if (element == PE_FrameFocusRect) {
        frame(painter, option->rect);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    // A grid that has the focus shows it on its frame.
    if (element == PE_Frame && qobject_cast<const QAbstractItemView*>(widget) && widget->hasFocus())
        frame(painter, option->rect);
}

void FocusStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                    const QWidget* widget) const {
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    if (control == CC_ToolButton && (option->state & State_HasFocus)) frame(painter, option->rect);
}

void FocusStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
    QProxyStyle::drawControl(element, option, painter, widget);
    // A push button, and the tab that has the focus on a tab bar.
    if ((element == CE_PushButton || element == CE_TabBarTab) && (option->state & State_HasFocus))
        frame(painter, option->rect);
}

}  // namespace quorvel::app
