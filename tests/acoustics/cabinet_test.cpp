// Baffle records derived from the faces of the common outer enclosure.
#include "acoustics/cabinet.h"

#include <gtest/gtest.h>

#include <vector>

namespace sonvex {
namespace {

// 30 cm wide, 50 cm high, 40 cm deep, with four different front chamfers.
TGemGeh Box() {
  TGemGeh g;
  g.b = 0.30;
  g.h = 0.50;
  g.t = 0.40;
  g.fasl = 0.011;
  g.fasr = 0.012;
  g.faso = 0.013;
  g.fasu = 0.014;
  return g;
}

TSchallwand Blank() {
  TSchallwand w;
  w.beugl = w.beugr = w.beugo = w.beugu = false;
  w.usegemgeh = true;
  w.d = 0.17;
  w.Membranform = 2;
  return w;
}

TEST(Cabinet, LeftFaceExample) {
  TSchallwand w = Blank();
  ASSERT_TRUE(BaffleFromCabinet(w, Box(), kFaceLeft, kRearSameFace, 0.2, 0.10, 0.05, 0.05));
  EXPECT_DOUBLE_EQ(w.hor, -0.15);
  EXPECT_DOUBLE_EQ(w.stra, -0.30);
  EXPECT_DOUBLE_EQ(w.vert, -0.05);
  EXPECT_EQ(w.b, 0.40);
  EXPECT_EQ(w.h, 0.50);
  EXPECT_EQ(w.f, Box().fasl);
  EXPECT_EQ(w.e + w.g + w.i, 0.0);
  EXPECT_EQ(w.direction, kFaceLeft);
  EXPECT_TRUE(w.beugl && w.beugr && w.beugo && w.beugu);
  // Diaphragm, membrane model and the enclosure flag are the chassis editor's.
  EXPECT_EQ(w.d, 0.17);
  EXPECT_EQ(w.Membranform, 2);
  EXPECT_TRUE(w.usegemgeh);
}

TEST(Cabinet, VentedChassisOnFrontWithPortOpposite) {
  TSchallwand w = Blank();
  const TGemGeh box = Box();
  ASSERT_TRUE(BaffleFromCabinet(w, box, kFaceFront, kRearOpposite, 0.3, 0.12, 0.1, 0.05));
  EXPECT_EQ(w.directionr, kRearOpposite);
  EXPECT_DOUBLE_EQ(w.hor, 0.12 - 0.15);
  EXPECT_DOUBLE_EQ(w.vert, 0.3 - 0.25);
  EXPECT_EQ(w.stra, 0.0);
  EXPECT_DOUBLE_EQ(w.horr, box.b / 2 - 0.05);
  EXPECT_DOUBLE_EQ(w.vertr, 0.1 - 0.25);
  EXPECT_EQ(w.strar, -box.t);
  EXPECT_EQ(w.e, box.fasl);
  EXPECT_EQ(w.f, box.fasr);
  EXPECT_EQ(w.g, box.faso);
  EXPECT_EQ(w.i, box.fasu);
}

TEST(Cabinet, EveryFaceAndItsRearOutlet) {
  const TGemGeh box = Box();
  struct TRow {
    int face;
    double b, h, e, f, g, i, hor, vert, stra;
  };
  const double A = 0.21, C = 0.07;
  const std::vector<TRow> rows = {
      {kFaceFront, 0.30, 0.50, 0.011, 0.012, 0.013, 0.014, C - 0.15, A - 0.25, 0},
      {kFaceBack, 0.30, 0.50, 0, 0, 0, 0, 0.15 - C, A - 0.25, -0.40},
      {kFaceLeft, 0.40, 0.50, 0, 0.011, 0, 0, -0.15, A - 0.25, C - 0.40},
      {kFaceRight, 0.40, 0.50, 0.012, 0, 0, 0, 0.15, A - 0.25, -C},
      {kFaceTop, 0.30, 0.40, 0, 0, 0, 0.013, C - 0.15, 0.25, -A},
      {kFaceBottom, 0.30, 0.40, 0, 0, 0.014, 0, C - 0.15, -0.25, A - 0.40},
  };
  for (const TRow& r : rows) {
    TSchallwand w = Blank();
    ASSERT_TRUE(BaffleFromCabinet(w, box, r.face, kRearSameFace, A, C, A, C));
    EXPECT_EQ(w.direction, r.face);
    EXPECT_EQ(w.a, A);
    EXPECT_EQ(w.c, C);
    EXPECT_DOUBLE_EQ(w.b, r.b) << r.face;
    EXPECT_DOUBLE_EQ(w.h, r.h) << r.face;
    EXPECT_DOUBLE_EQ(w.e, r.e) << r.face;
    EXPECT_DOUBLE_EQ(w.f, r.f) << r.face;
    EXPECT_DOUBLE_EQ(w.g, r.g) << r.face;
    EXPECT_DOUBLE_EQ(w.i, r.i) << r.face;
    EXPECT_DOUBLE_EQ(w.hor, r.hor) << r.face;
    EXPECT_DOUBLE_EQ(w.vert, r.vert) << r.face;
    EXPECT_DOUBLE_EQ(w.stra, r.stra) << r.face;
    // Rear outlet on the same face at the same spot is the chassis position.
    EXPECT_EQ(w.horr, w.hor);
    EXPECT_EQ(w.vertr, w.vert);
    EXPECT_EQ(w.strar, w.stra);
    // On the opposite face it is that face's row.
    ASSERT_TRUE(BaffleFromCabinet(w, box, r.face, kRearOpposite, A, C, 0.05, 0.06));
    const TRoomPoint opp = FacePointToRoom(box, OppositeFace(r.face), 0.05, 0.06);
    EXPECT_EQ(w.horr, opp.hor);
    EXPECT_EQ(w.vertr, opp.vert);
    EXPECT_EQ(w.strar, opp.stra);
    // The dialog reads the outlet back into face coordinates.
    double a = 0, c = 0;
    RoomToFacePoint(box, OppositeFace(r.face), {w.horr, w.vertr, w.strar}, a, c);
    EXPECT_NEAR(a, 0.05, 1e-15) << r.face;
    EXPECT_NEAR(c, 0.06, 1e-15) << r.face;
  }
  EXPECT_EQ(OppositeFace(kFaceFront), kFaceBack);
  EXPECT_EQ(OppositeFace(kFaceRight), kFaceLeft);
  EXPECT_EQ(OppositeFace(kFaceBottom), kFaceTop);
}

TEST(Cabinet, UnknownFaceOrRearSideLeavesRecordUnchanged) {
  const TSchallwand before = Blank();
  for (auto [face, rear] : {std::pair{-2, 0}, std::pair{6, 0}, std::pair{0, 2}, std::pair{3, -1}}) {
    TSchallwand w = before;
    EXPECT_FALSE(BaffleFromCabinet(w, Box(), face, rear, 0.1, 0.1, 0.1, 0.1));
    EXPECT_EQ(w, before);
  }
}

// The outlet's place on its face follows from the baffle record alone: for a
// record derived from the box it is the place it was derived from, on every
// face and on either side.
TEST(CabinetPort, FacePointComesBackFromTheRecord) {
  const TGemGeh box = Box();
  for (int face = kFaceFront; face <= kFaceBottom; ++face)
    for (int rear : {kRearSameFace, kRearOpposite}) {
      TSchallwand w = Blank();
      ASSERT_TRUE(BaffleFromCabinet(w, box, face, rear, 0.21, 0.07, 0.04, 0.09));
      double ar = 0, cr = 0;
      PortFacePoint(w, ar, cr);
      EXPECT_NEAR(ar, 0.04, 1e-15) << face << rear;
      EXPECT_NEAR(cr, 0.09, 1e-15) << face << rear;
    }
}

// A port on the box is checked as the chassis is: inside the face's edges,
// and beyond the front chamfers when it shares the front with the chassis.
TEST(CabinetPort, LiesOnItsFaceOrNot) {
  const TGemGeh box = Box();  // 30 wide, 50 high, 40 deep; chamfers 11..14 mm
  struct TCase {
    int face, rear;
    double ar, cr;
    bool on;
  };
  const TCase cases[] = {
      {kFaceFront, kRearSameFace, 0.05, 0.05, true},
      {kFaceFront, kRearSameFace, -0.01, 0.05, false},  // below the box
      {kFaceFront, kRearSameFace, 0.51, 0.05, false},   // above it
      {kFaceFront, kRearSameFace, 0.05, 0.31, false},   // beside it
      {kFaceFront, kRearSameFace, 0.01, 0.05, false},   // on the lower chamfer (14 mm)
      {kFaceFront, kRearSameFace, 0.05, 0.295, false},  // on the right chamfer (12 mm)
      {kFaceFront, kRearOpposite, 0.01, 0.005, true},   // the back has no chamfers
      {kFaceFront, kRearOpposite, -0.42, 0.15, false},
      {kFaceLeft, kRearSameFace, 0.25, 0.38, true},   // 40 cm deep side, 11 mm chamfer at the front
      {kFaceLeft, kRearOpposite, 0.25, 0.41, false},  // beyond the depth
      {kFaceTop, kRearOpposite, 0.39, 0.29, true},    // bottom: 30 x 40 cm
      {kFaceTop, kRearOpposite, 0.41, 0.29, false},
  };
  for (const TCase& c : cases) {
    TSchallwand w = Blank();
    ASSERT_TRUE(BaffleFromCabinet(w, box, c.face, c.rear, 0.2, 0.15, c.ar, c.cr));
    EXPECT_EQ(PortOnBaffle(w), c.on) << c.face << " " << c.rear << " " << c.ar << " " << c.cr;
  }
  // A box of no size holds no port.
  TSchallwand w = Blank();
  ASSERT_TRUE(BaffleFromCabinet(w, TGemGeh{}, kFaceFront, kRearSameFace, 0, 0, 0, 0));
  EXPECT_FALSE(PortOnBaffle(w));
}

TEST(CabinetPort, OnlyVentedTypesHaveOne) {
  for (int typ = -1; typ <= 5; ++typ) EXPECT_EQ(HasCabinetPort(typ), typ == 2 || typ == 4) << typ;
}

}  // namespace
}  // namespace sonvex
