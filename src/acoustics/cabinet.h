#pragma once
// Baffle records of chassis mounted on the faces of the common outer enclosure.
#include "model/project.h"

namespace sonvex {

// Faces of the common outer enclosure, as seen from the listener; the values
// are the chassis's `direction` codes.
enum CabinetFace : int { FaceFront = 0, FaceBack = 1, FaceLeft = 2, FaceRight = 3, FaceTop = 4, FaceBottom = 5 };

// Side of the rear sound outlet (port): the chassis's own face or the opposite one.
enum RearSide : int { RearSameFace = 0, RearOppositeFace = 1 };

// The face opposite `face` (front/back, left/right, top/bottom).
int OppositeFace(int face);

// Position of a point of a face in the room coordinates of the box (origin at
// the centre of the front face, x to the right, y upwards, z towards the
// listener). `a` and `c` are measured from the lower left corner of the face
// as seen from outside, in metres.
struct RoomPoint {
  double horizontal = 0, vertical = 0, forward = 0;
};
RoomPoint FacePointToRoom(const Cabinet& box, int face, double a, double c);
// The inverse: the face position (a, c) of a room point on `face`.
void RoomToFacePoint(const Cabinet& box, int face, const RoomPoint& p, double& a, double& c);

// Fills the baffle record of a chassis on `face` at (a, c) of the box, with
// its rear outlet on `rearSide` at (rearBottomDistance, rearLeftDistance); all lengths in metres. All four
// edges diffract; `d`, `Membranform` and `useCabinet` stay as they are.
// Returns false and leaves the record unchanged when `face` is not 0..5 or
// `rearSide` not 0..1.
bool BaffleFromCabinet(Baffle& baffle, const Cabinet& box, int face, int rearSide, double a, double c,
                       double rearBottomDistance, double rearLeftDistance);

// Whether a chassis of enclosure type `type` (Enclosure::Typ) has a rear outlet
// (port) of its own on the box: the vented box and the band-pass with two
// ports. The other types radiate no rear sound of their own.
bool HasCabinetPort(int type);

// The position (rearBottomDistance, rearLeftDistance) of the rear outlet on its face (the chassis's face or
// the opposite one, as `rearDirection` says), taken from the baffle record alone:
// the outlet keeps its room distance from the chassis, whose (a, c) lies on a
// face of the baffle's size (b wide, h high) turned as `direction` says. For
// a record derived from the box this is the position it was derived from.
void PortFacePoint(const Baffle& baffle, double& rearBottomDistance, double& rearLeftDistance);

// Whether the rear outlet of a baffle record on the box lies on its face, as
// the chassis must: inside the face's edges and beyond the front chamfers of
// the chassis's face when it shares that face (the outlet counted as a point).
bool PortOnBaffle(const Baffle& baffle);

}  // namespace sonvex
