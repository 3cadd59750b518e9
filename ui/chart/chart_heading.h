// The top of every chart: its white ground and its title.
#pragma once

#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QString>

// Fills `area` white and centres `title` at its top in the window's font made
// the title's size; returns where what follows the title starts.
double PaintChartHeading(QPainter& painter, const QRectF& area, const QString& title,
                         const QFont& windowFont);
