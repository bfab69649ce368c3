#pragma once
/// \file ContactSheet.h
/// DIR/contact.png: every wedge's summary picture in a grid, in wedge order,
/// each labelled with its values, so that a supervisor picks a variant at a
/// glance. A wedge that failed or has not run is a grey cell that says so.

#include "WedgePlan.h"

#include <string>
#include <vector>

struct ContactSheetLayout
{
    std::size_t cells = 0;   ///< wedges drawn (the first ones, when there are many)
    std::size_t columns = 0;
    std::size_t rows = 0;
    int cellWidth = 0;       ///< the picture's box; its label goes below it
    int pictureHeight = 0;
    int labelHeight = 0;
    int headerHeight = 0;
    int width = 0;           ///< of the whole sheet, pixels
    int height = 0;
};

/// The grid for `count` wedges: a row per combination of all but the
/// innermost dimension when that has `innermost` values (2 to 10: the
/// seeds, or the last variation), so each row reads as one setting;
/// otherwise about as many columns as rows. Smaller cells past 100 wedges,
/// and no more than 400 cells.
ContactSheetLayout LayOutContactSheet(std::size_t count, std::size_t innermost = 0);

/// The label of a wedge's cell, a line each: "w007  seed 3", then
/// "maximumSpeed 20  boidSeparation 2" (the attribute names as the wedge's
/// folder has them).
std::vector<std::string> ContactLabel(const WedgePlan& plan, const Wedge& wedge);

/// Draws DIR/contact.png from what the wedges of DIR left.
bool WriteContactSheet(const std::string& dir, const WedgePlan& plan, std::string& error);
