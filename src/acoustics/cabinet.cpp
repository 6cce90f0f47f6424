// Baffle records of chassis mounted on the faces of the common outer enclosure.
#include "acoustics/cabinet.h"

#include "acoustics/enclosure.h"

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

bool HasCabinetPort(int typ) { return typ == kTypVented || typ == kTypBandpassBi; }

namespace {

// A box on whose face `face` the baffle record fits: that face has the
// baffle's width and height. The box's third measure enters no position on
// this face or the opposite one, so any value does.
TGemGeh BoxOfBaffle(const TSchallwand& w, int face) {
  TGemGeh box;
  switch (face) {
    case kFaceLeft:
    case kFaceRight:
      box.t = w.b;
      box.h = w.h;
      break;
    case kFaceTop:
    case kFaceBottom:
      box.b = w.b;
      box.t = w.h;
      break;
    default:
      box.b = w.b;
      box.h = w.h;
      break;
  }
  return box;
}

int FaceOf(const TSchallwand& w) {
  return w.direction >= kFaceFront && w.direction <= kFaceBottom ? static_cast<int>(w.direction) : kFaceFront;
}

}  // namespace

void PortFacePoint(const TSchallwand& w, double& ar, double& cr) {
  const int face = FaceOf(w);
  const int rearFace = w.directionr == kRearOpposite ? OppositeFace(face) : face;
  const TGemGeh box = BoxOfBaffle(w, face);
  const TRoomPoint chassis = FacePointToRoom(box, face, w.a, w.c);
  const TRoomPoint port{chassis.hor + (w.horr - w.hor), chassis.vert + (w.vertr - w.vert),
                        chassis.stra + (w.strar - w.stra)};
  RoomToFacePoint(box, rearFace, port, ar, cr);
}

bool PortOnBaffle(const TSchallwand& w) {
  double ar = 0, cr = 0;
  PortFacePoint(w, ar, cr);
  // The chamfers of the record belong to the chassis's face; the opposite
  // face of the box has none at its front.
  const bool sameFace = w.directionr != kRearOpposite;
  const double e = sameFace ? w.e : 0, f = sameFace ? w.f : 0, g = sameFace ? w.g : 0, i = sameFace ? w.i : 0;
  // The chassis's check with a diameter of 0 (and written so that NaN fails).
  return w.b > 0 && w.h > 0 && ar > 0 && cr > 0 && i <= ar && e <= cr && ar <= w.h - g && cr <= w.b - f;
}

}  // namespace sonvex
