#pragma once

#include <QtGlobal>

// Where the chart puts its plot, groups and labels for a view of width x height points and
// groupCount groups. Pure arithmetic, so the drawing rules can be checked without painting.
struct TrafficChartLayout {
    static constexpr double kPlotLeft = 58;
    static constexpr double kPlotRightInset = 16;
    static constexpr double kPlotTop = 26;
    static constexpr double kPlotBottomInset = 42;
    static constexpr double kMinGroupWidth = 2;
    static constexpr double kMaxGroupWidth = 38;

    double width = 0;
    double height = 0;
    int groupCount = 0;
    double plotHeight = 0; // the zero line is at kPlotTop + plotHeight
    double slot = 0;       // horizontal room of one group
    double groupWidth = 0; // width of a group's two bars together
    int labelStep = 1;     // every labelStep-th group is labelled

    static TrafficChartLayout compute(double width, double height, int groupCount);

    double zeroLineY() const { return kPlotTop + plotHeight; }
    double plotRight() const { return width - kPlotRightInset; }
    // Left edge of group k.
    double groupX(int k) const;
    // Height of a bar for value against the scale top: at least 1 point, also for 0.
    double barHeight(quint64 value, double scaleTop) const;
};

// The scale's top for the largest value: the first decimal tier not below it, or 1.1 times it
// above the last tier.
double chartScaleTop(quint64 maxValue);
