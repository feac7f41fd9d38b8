#pragma once

#include <QProxyStyle>

namespace tv {

// The application's style with scroll-bar handles in the palette's mid and
// dark shades: light styles draw a handle in nearly the grey of its track.
class ScrollBarContrastStyle final : public QProxyStyle
{
    Q_OBJECT
public:
    explicit ScrollBarContrastStyle(QObject *parent);

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget = nullptr) const override;
};

} // namespace tv
