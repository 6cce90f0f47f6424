// Baffle records of chassis mounted on the faces of the common outer enclosure.
#include "acoustics/cabinet.h"

#include "acoustics/enclosure.h"

namespace sonvex {

int OppositeFace(int face) {
  switch (face) {
    case FaceFront:
      return FaceBack;
    case FaceBack:
      return FaceFront;
    case FaceLeft:
      return FaceRight;
    case FaceRight:
      return FaceLeft;
    case FaceTop:
      return FaceBottom;
    case FaceBottom:
      return FaceTop;
    default:
      return face;
  }
}

RoomPoint FacePointToRoom(const Cabinet& box, int face, double a, double c) {
  const double halfW = box.width / 2, halfH = box.height / 2;
  switch (face) {
    case FaceFront:
      return {c - halfW, a - halfH, 0.0};
    case FaceBack:
      return {halfW - c, a - halfH, -box.depth};
    case FaceLeft:
      return {-halfW, a - halfH, c - box.depth};
    case FaceRight:
      return {halfW, a - halfH, -c};
    case FaceTop:
      return {c - halfW, halfH, -a};
    case FaceBottom:
      return {c - halfW, -halfH, a - box.depth};
    default:
      return {};
  }
}

void RoomToFacePoint(const Cabinet& box, int face, const RoomPoint& p, double& a, double& c) {
  const double halfW = box.width / 2, halfH = box.height / 2;
  switch (face) {
    case FaceFront:
      a = p.vertical + halfH;
      c = p.horizontal + halfW;
      break;
    case FaceBack:
      a = p.vertical + halfH;
      c = halfW - p.horizontal;
      break;
    case FaceLeft:
      a = p.vertical + halfH;
      c = p.forward + box.depth;
      break;
    case FaceRight:
      a = p.vertical + halfH;
      c = -p.forward;
      break;
    case FaceTop:
      a = -p.forward;
      c = p.horizontal + halfW;
      break;
    case FaceBottom:
      a = p.forward + box.depth;
      c = p.horizontal + halfW;
      break;
    default:
      a = 0;
      c = 0;
      break;
  }
}

bool BaffleFromCabinet(Baffle& baffle, const Cabinet& box, int face, int rearSide, double a, double c,
                       double rearBottomDistance, double rearLeftDistance) {
  if (face < FaceFront || face > FaceBottom || (rearSide != RearSameFace && rearSide != RearOppositeFace)) return false;
  baffle.diffractLeft = baffle.diffractRight = baffle.diffractTop = baffle.diffractBottom = true;
  baffle.direction = static_cast<std::int8_t>(face);
  baffle.rearDirection = static_cast<std::int8_t>(rearSide);
  baffle.bottomDistance = a;
  baffle.leftDistance = c;
  // Baffle size and chamfers: the front chamfers reach the side faces at the
  // edge they share with the front.
  switch (face) {
    case FaceFront:
      baffle.width = box.width;
      baffle.height = box.height;
      baffle.chamferLeft = box.chamferLeft;
      baffle.chamferRight = box.chamferRight;
      baffle.chamferTop = box.chamferTop;
      baffle.chamferBottom = box.chamferBottom;
      break;
    case FaceBack:
      baffle.width = box.width;
      baffle.height = box.height;
      baffle.chamferLeft = 0;
      baffle.chamferRight = 0;
      baffle.chamferTop = 0;
      baffle.chamferBottom = 0;
      break;
    case FaceLeft:
      baffle.width = box.depth;
      baffle.height = box.height;
      baffle.chamferLeft = 0;
      baffle.chamferRight = box.chamferLeft;
      baffle.chamferTop = 0;
      baffle.chamferBottom = 0;
      break;
    case FaceRight:
      baffle.width = box.depth;
      baffle.height = box.height;
      baffle.chamferLeft = box.chamferRight;
      baffle.chamferRight = 0;
      baffle.chamferTop = 0;
      baffle.chamferBottom = 0;
      break;
    case FaceTop:
      baffle.width = box.width;
      baffle.height = box.depth;
      baffle.chamferLeft = 0;
      baffle.chamferRight = 0;
      baffle.chamferTop = 0;
      baffle.chamferBottom = box.chamferTop;
      break;
    case FaceBottom:
      baffle.width = box.width;
      baffle.height = box.depth;
      baffle.chamferLeft = 0;
      baffle.chamferRight = 0;
      baffle.chamferTop = box.chamferBottom;
      baffle.chamferBottom = 0;
      break;
    default:
      break;
  }
  const RoomPoint outlet = FacePointToRoom(box, face, a, c);
  baffle.horizontal = outlet.horizontal;
  baffle.vertical = outlet.vertical;
  baffle.forward = outlet.forward;
  const int rearFace = rearSide == RearOppositeFace ? OppositeFace(face) : face;
  const RoomPoint rear = FacePointToRoom(box, rearFace, rearBottomDistance, rearLeftDistance);
  baffle.rearHorizontal = rear.horizontal;
  baffle.rearVertical = rear.vertical;
  baffle.rearForward = rear.forward;
  return true;
}

bool HasCabinetPort(int type) { return type == kTypeVented || type == kTypeBandpassBi; }

namespace {

// A box on whose face `face` the baffle record fits: that face has the
// baffle's width and height. The box's third measure enters no position on
// this face or the opposite one, so any value does.
Cabinet CabinetOfBaffle(const Baffle& baffle, int face) {
  Cabinet box;
  switch (face) {
    case FaceLeft:
    case FaceRight:
      box.depth = baffle.width;
      box.height = baffle.height;
      break;
    case FaceTop:
    case FaceBottom:
      box.width = baffle.width;
      box.depth = baffle.height;
      break;
    default:
      box.width = baffle.width;
      box.height = baffle.height;
      break;
  }
  return box;
}

int FaceOf(const Baffle& baffle) {
  return baffle.direction >= FaceFront && baffle.direction <= FaceBottom ? static_cast<int>(baffle.direction)
                                                                         : FaceFront;
}

}  // namespace

void PortFacePoint(const Baffle& baffle, double& rearBottomDistance, double& rearLeftDistance) {
  const int face = FaceOf(baffle);
  const int rearFace = baffle.rearDirection == RearOppositeFace ? OppositeFace(face) : face;
  const Cabinet box = CabinetOfBaffle(baffle, face);
  const RoomPoint chassis = FacePointToRoom(box, face, baffle.bottomDistance, baffle.leftDistance);
  const RoomPoint port{chassis.horizontal + (baffle.rearHorizontal - baffle.horizontal),
                       chassis.vertical + (baffle.rearVertical - baffle.vertical),
                       chassis.forward + (baffle.rearForward - baffle.forward)};
  RoomToFacePoint(box, rearFace, port, rearBottomDistance, rearLeftDistance);
}

bool PortOnBaffle(const Baffle& baffle) {
  double rearBottomDistance = 0, rearLeftDistance = 0;
  PortFacePoint(baffle, rearBottomDistance, rearLeftDistance);
  // The chamfers of the record belong to the chassis's face; the opposite
  // face of the box has none at its front.
  const bool sameFace = baffle.rearDirection != RearOppositeFace;
  const double e = sameFace ? baffle.chamferLeft : 0, f = sameFace ? baffle.chamferRight : 0,
               g = sameFace ? baffle.chamferTop : 0, i = sameFace ? baffle.chamferBottom : 0;
  // The chassis's check with a diameter of 0 (and written so that NaN fails).
  return baffle.width > 0 && baffle.height > 0 && rearBottomDistance > 0 && rearLeftDistance > 0 &&
         i <= rearBottomDistance && e <= rearLeftDistance && rearBottomDistance <= baffle.height - g &&
         rearLeftDistance <= baffle.width - f;
}

}  // namespace sonvex
