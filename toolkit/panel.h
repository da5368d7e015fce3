#pragma once

#include <QColor>
#include <QLine>
#include <QWidget>

#include <vector>

/// A coloured panel that holds fields and draws a few one-pixel rules beneath them.
class Panel : public QWidget
{
    Q_OBJECT

public:
    explicit Panel(const QColor &background, QWidget *parent = nullptr);

    /// A rule between two points of the panel, in logical pixels.
    void addLine(QLine line) { lines.push_back(line); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::vector<QLine> lines;
};
