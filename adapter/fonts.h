#pragma once

#include <QFont>

/// The window's bold fonts at a size in points: the original families where a system has them,
/// else the metric-compatible Liberation fonts, so that the texts fit their fields as they were
/// laid out, else any font of the kind.
QFont sansSerif(qreal points);
QFont serif(qreal points);
