#pragma once
// Baffle records of chassis mounted on the faces of the common outer enclosure.
#include "model/project.h"

namespace sonvex {

// Faces of the common outer enclosure, as seen from the listener; the values
// are the chassis's `direction` codes.
enum TCabinetFace : int { kFaceFront = 0, kFaceBack = 1, kFaceLeft = 2, kFaceRight = 3, kFaceTop = 4, kFaceBottom = 5 };

// Side of the rear sound outlet (port): the chassis's own face or the opposite one.
enum TRearSide : int { kRearSameFace = 0, kRearOpposite = 1 };

// The face opposite `face` (front/back, left/right, top/bottom).
int OppositeFace(int face);

// Position of a point of a face in the room coordinates of the box (origin at
// the centre of the front face, x to the right, y upwards, z towards the
// listener). `a` and `c` are measured from the lower left corner of the face
// as seen from outside, in metres.
struct TRoomPoint {
  double hor = 0, vert = 0, stra = 0;
};
TRoomPoint FacePointToRoom(const TGemGeh& box, int face, double a, double c);
// The inverse: the face position (a, c) of a room point on `face`.
void RoomToFacePoint(const TGemGeh& box, int face, const TRoomPoint& p, double& a, double& c);

// Fills the baffle record of a chassis on `face` at (a, c) of the box, with
// its rear outlet on `rearSide` at (ar, cr); all lengths in metres. All four
// edges diffract; `d`, `Membranform` and `usegemgeh` stay as they are.
// Returns false and leaves the record unchanged when `face` is not 0..5 or
// `rearSide` not 0..1.
bool BaffleFromCabinet(TSchallwand& w, const TGemGeh& box, int face, int rearSide, double a, double c, double ar,
                       double cr);

// Whether a chassis of enclosure type `typ` (TEinbau::Typ) has a rear outlet
// (port) of its own on the box: the vented box and the band-pass with two
// ports. The other types radiate no rear sound of their own.
bool HasCabinetPort(int typ);

// The position (ar, cr) of the rear outlet on its face (the chassis's face or
// the opposite one, as `directionr` says), taken from the baffle record alone:
// the outlet keeps its room distance from the chassis, whose (a, c) lies on a
// face of the baffle's size (b wide, h high) turned as `direction` says. For
// a record derived from the box this is the position it was derived from.
void PortFacePoint(const TSchallwand& w, double& ar, double& cr);

// Whether the rear outlet of a baffle record on the box lies on its face, as
// the chassis must: inside the face's edges and beyond the front chamfers of
// the chassis's face when it shares that face (the outlet counted as a point).
bool PortOnBaffle(const TSchallwand& w);

}  // namespace sonvex
