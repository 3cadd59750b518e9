// What every printed page of results has: the heading at the top (the
// results' file, elided in the middle), a rule under it, and "page / pages"
// at the foot.
#pragma once

#include <QFontMetricsF>
#include <QString>

class QPainter;

// Draws the frame of page `page` (0-based) of `pages` on a page `width` by
// `height`, in the painter's current font, whose metrics are `metrics`.
void DrawPageFrame(QPainter& painter, const QFontMetricsF& metrics, double width, double height,
                   const QString& heading, int page, int pages);
