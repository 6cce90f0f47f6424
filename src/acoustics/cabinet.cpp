// Baffle records of chassis mounted on the faces of the common outer enclosure.
#include "acoustics/cabinet.h"

namespace sonvex {

int OppositeFace(int face) {
  switch (face) {
    case kFaceFront:
      return kFaceBack;
    case kFaceBack:
      return kFaceFront;
    case kFaceLeft:
      return kFaceRight;
    case kFaceRight:
      return kFaceLeft;
    case kFaceTop:
      return kFaceBottom;
    case kFaceBottom:
      return kFaceTop;
    default:
      return face;
  }
}

TRoomPoint FacePointToRoom(const TGemGeh& box, int face, double a, double c) {
  const double halfW = box.b / 2, halfH = box.h / 2;
  switch (face) {
    case kFaceFront:
      return {c - halfW, a - halfH, 0.0};
    case kFaceBack:
      return {halfW - c, a - halfH, -box.t};
    case kFaceLeft:
      return {-halfW, a - halfH, c - box.t};
    case kFaceRight:
      return {halfW, a - halfH, -c};
    case kFaceTop:
      return {c - halfW, halfH, -a};
    case kFaceBottom:
      return {c - halfW, -halfH, a - box.t};
    default:
      return {};
  }
}

void RoomToFacePoint(const TGemGeh& box, int face, const TRoomPoint& p, double& a, double& c) {
  const double halfW = box.b / 2, halfH = box.h / 2;
  switch (face) {
    case kFaceFront:
      a = p.vert + halfH;
      c = p.hor + halfW;
      break;
    case kFaceBack:
      a = p.vert + halfH;
      c = halfW - p.hor;
      break;
    case kFaceLeft:
      a = p.vert + halfH;
      c = p.stra + box.t;
      break;
    case kFaceRight:
      a = p.vert + halfH;
      c = -p.stra;
      break;
    case kFaceTop:
      a = -p.stra;
      c = p.hor + halfW;
      break;
    case kFaceBottom:
      a = p.stra + box.t;
      c = p.hor + halfW;
      break;
    default:
      a = 0;
      c = 0;
      break;
  }
}

bool BaffleFromCabinet(TSchallwand& w, const TGemGeh& box, int face, int rearSide, double a, double c, double ar,
                       double cr) {
  if (face < kFaceFront || face > kFaceBottom || (rearSide != kRearSameFace && rearSide != kRearOpposite)) return false;
  w.beugl = w.beugr = w.beugo = w.beugu = true;
  w.direction = static_cast<std::int8_t>(face);
  w.directionr = static_cast<std::int8_t>(rearSide);
  w.a = a;
  w.c = c;
  // Baffle size and chamfers: the front chamfers reach the side faces at the
  // edge they share with the front.
  switch (face) {
    case kFaceFront:
      w.b = box.b;
      w.h = box.h;
      w.e = box.fasl;
      w.f = box.fasr;
      w.g = box.faso;
      w.i = box.fasu;
      break;
    case kFaceBack:
      w.b = box.b;
      w.h = box.h;
      w.e = 0;
      w.f = 0;
      w.g = 0;
      w.i = 0;
      break;
    case kFaceLeft:
      w.b = box.t;
      w.h = box.h;
      w.e = 0;
      w.f = box.fasl;
      w.g = 0;
      w.i = 0;
      break;
    case kFaceRight:
      w.b = box.t;
      w.h = box.h;
      w.e = box.fasr;
      w.f = 0;
      w.g = 0;
      w.i = 0;
      break;
    case kFaceTop:
      w.b = box.b;
      w.h = box.t;
      w.e = 0;
      w.f = 0;
      w.g = 0;
      w.i = box.faso;
      break;
    case kFaceBottom:
      w.b = box.b;
      w.h = box.t;
      w.e = 0;
      w.f = 0;
      w.g = box.fasu;
      w.i = 0;
      break;
    default:
      break;
  }
  const TRoomPoint outlet = FacePointToRoom(box, face, a, c);
  w.hor = outlet.hor;
  w.vert = outlet.vert;
  w.stra = outlet.stra;
  const int rearFace = rearSide == kRearOpposite ? OppositeFace(face) : face;
  const TRoomPoint rear = FacePointToRoom(box, rearFace, ar, cr);
  w.horr = rear.hor;
  w.vertr = rear.vert;
  w.strar = rear.stra;
  return true;
}

}  // namespace sonvex
