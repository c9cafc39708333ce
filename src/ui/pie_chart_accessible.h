// The pie chart as screen readers and automation see it: a chart whose children are its slices,
// each named by its legend label ("Used: 3.00 GB") and described by its share of the disk.
#pragma once

namespace volumist::ui {

// Installs the factory that gives every PieChart its accessible interface; once per process.
void InstallPieChartAccessibility();

}  // namespace volumist::ui
