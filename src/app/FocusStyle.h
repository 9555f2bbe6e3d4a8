#pragma once
// The keyboard focus drawn plainly: a dark frame around the widget that has
// it, on every stop (buttons with a glyph only, grids and tab bars included),
// whatever the style underneath draws of its own.
#include <QProxyStyle>

namespace quorvel::app {

class FocusStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    // Puts the style on the application, once.
    static void install();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};

}  // namespace quorvel::app
