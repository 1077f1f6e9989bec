#pragma once

#include <QByteArray>

// The SVG with each <use> of an element painted in "currentColor" replaced
// by a group that holds a copy of it, so that the colour the <use> gives
// reaches it: QtSvg takes currentColor where the element is defined, and
// gnuplot draws every marker so, each in its series' colour. The bytes as
// they are when they are no well-formed XML, or when copies would grow
// beyond bounds (uses nested more than 8 deep, or millions of elements).
QByteArray SvgUsesInlined(const QByteArray& Svg);
