#pragma once

#include <QColor>
#include <QLine>
#include <QWidget>

#include <vector>

/// A coloured panel that holds fields and draws a few rules beneath them, one pixel wide at
/// zoom 1.
class Panel : public QWidget
{
    Q_OBJECT

public:
    explicit Panel(const QColor &background, QWidget *parent = nullptr);

    /// A rule between two points of the panel, in twips.
    void addLine(QLine twips) { lines.push_back(twips); }

public Q_SLOTS:
    /// The layout's zoom, at which the rules are drawn.
    void setZoom(qreal zoom);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::vector<QLine> lines;
    qreal scale = 1.0;
};
