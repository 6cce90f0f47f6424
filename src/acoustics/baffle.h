#pragma once
// Baffle diffraction and directivity of one chassis in 30 fixed directions.
#include <string>

#include "model/project.h"
#include "model/result.h"

namespace sonvex {

// Computes the direction table of a chassis on its baffle over the grid
// `freq` (entries up to `lastIndex`, ended by a value not above 0). Returns
// "OK" or the item's error messages; the table is always written (1e-100
// entries where nothing could be computed). `sourceDepth` is passed along and does not
// change the result. Keeps no state between calls.
std::string ComputeBaffle(const Baffle& baffle, const FreqArray& freq, int lastIndex, double sourceDepth,
                          DirectionTable& table);

// Changes the baffle record to the one a measured response was taken on
// (measuring condition `which` = the chassis's responseSource, 1..7).
void MeasurementBaffle(Baffle& baffle, int which);

// Permutations of the 30 directions of every grid index.
void RotateYaw(DirectionTable& table);
void RotatePitch(DirectionTable& table);
void MirrorDirections(DirectionTable& table);

}  // namespace sonvex
