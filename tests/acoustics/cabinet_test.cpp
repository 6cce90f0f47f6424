// Baffle records derived from the faces of the common outer enclosure.
#include "acoustics/cabinet.h"

#include <gtest/gtest.h>

#include <vector>

namespace sonvex {
namespace {

// 30 cm wide, 50 cm high, 40 cm deep, with four different front chamfers.
Cabinet Box() {
  Cabinet g;
  g.width = 0.30;
  g.height = 0.50;
  g.depth = 0.40;
  g.chamferLeft = 0.011;
  g.chamferRight = 0.012;
  g.chamferTop = 0.013;
  g.chamferBottom = 0.014;
  return g;
}

Baffle Blank() {
  Baffle baffle;
  baffle.diffractLeft = baffle.diffractRight = baffle.diffractTop = baffle.diffractBottom = false;
  baffle.useCabinet = true;
  baffle.outletDiameter = 0.17;
  baffle.diaphragmShape = 2;
  return baffle;
}

TEST(Cabinet, LeftFaceExample) {
  Baffle baffle = Blank();
  ASSERT_TRUE(BaffleFromCabinet(baffle, Box(), FaceLeft, RearSameFace, 0.2, 0.10, 0.05, 0.05));
  EXPECT_DOUBLE_EQ(baffle.horizontal, -0.15);
  EXPECT_DOUBLE_EQ(baffle.forward, -0.30);
  EXPECT_DOUBLE_EQ(baffle.vertical, -0.05);
  EXPECT_EQ(baffle.width, 0.40);
  EXPECT_EQ(baffle.height, 0.50);
  EXPECT_EQ(baffle.chamferRight, Box().chamferLeft);
  EXPECT_EQ(baffle.chamferLeft + baffle.chamferTop + baffle.chamferBottom, 0.0);
  EXPECT_EQ(baffle.direction, FaceLeft);
  EXPECT_TRUE(baffle.diffractLeft && baffle.diffractRight && baffle.diffractTop && baffle.diffractBottom);
  // Diaphragm, membrane model and the enclosure flag are the chassis editor's.
  EXPECT_EQ(baffle.outletDiameter, 0.17);
  EXPECT_EQ(baffle.diaphragmShape, 2);
  EXPECT_TRUE(baffle.useCabinet);
}

TEST(Cabinet, VentedChassisOnFrontWithPortOpposite) {
  Baffle baffle = Blank();
  const Cabinet box = Box();
  ASSERT_TRUE(BaffleFromCabinet(baffle, box, FaceFront, RearOppositeFace, 0.3, 0.12, 0.1, 0.05));
  EXPECT_EQ(baffle.rearDirection, RearOppositeFace);
  EXPECT_DOUBLE_EQ(baffle.horizontal, 0.12 - 0.15);
  EXPECT_DOUBLE_EQ(baffle.vertical, 0.3 - 0.25);
  EXPECT_EQ(baffle.forward, 0.0);
  EXPECT_DOUBLE_EQ(baffle.rearHorizontal, box.width / 2 - 0.05);
  EXPECT_DOUBLE_EQ(baffle.rearVertical, 0.1 - 0.25);
  EXPECT_EQ(baffle.rearForward, -box.depth);
  EXPECT_EQ(baffle.chamferLeft, box.chamferLeft);
  EXPECT_EQ(baffle.chamferRight, box.chamferRight);
  EXPECT_EQ(baffle.chamferTop, box.chamferTop);
  EXPECT_EQ(baffle.chamferBottom, box.chamferBottom);
}

TEST(Cabinet, EveryFaceAndItsRearOutlet) {
  const Cabinet box = Box();
  struct Row {
    int face;
    double b, h, e, f, g, i, horizontal, vertical, forward;
  };
  const double A = 0.21, C = 0.07;
  const std::vector<Row> rows = {
      {FaceFront, 0.30, 0.50, 0.011, 0.012, 0.013, 0.014, C - 0.15, A - 0.25, 0},
      {FaceBack, 0.30, 0.50, 0, 0, 0, 0, 0.15 - C, A - 0.25, -0.40},
      {FaceLeft, 0.40, 0.50, 0, 0.011, 0, 0, -0.15, A - 0.25, C - 0.40},
      {FaceRight, 0.40, 0.50, 0.012, 0, 0, 0, 0.15, A - 0.25, -C},
      {FaceTop, 0.30, 0.40, 0, 0, 0, 0.013, C - 0.15, 0.25, -A},
      {FaceBottom, 0.30, 0.40, 0, 0, 0.014, 0, C - 0.15, -0.25, A - 0.40},
  };
  for (const Row& r : rows) {
    Baffle baffle = Blank();
    ASSERT_TRUE(BaffleFromCabinet(baffle, box, r.face, RearSameFace, A, C, A, C));
    EXPECT_EQ(baffle.direction, r.face);
    EXPECT_EQ(baffle.bottomDistance, A);
    EXPECT_EQ(baffle.leftDistance, C);
    EXPECT_DOUBLE_EQ(baffle.width, r.b) << r.face;
    EXPECT_DOUBLE_EQ(baffle.height, r.h) << r.face;
    EXPECT_DOUBLE_EQ(baffle.chamferLeft, r.e) << r.face;
    EXPECT_DOUBLE_EQ(baffle.chamferRight, r.f) << r.face;
    EXPECT_DOUBLE_EQ(baffle.chamferTop, r.g) << r.face;
    EXPECT_DOUBLE_EQ(baffle.chamferBottom, r.i) << r.face;
    EXPECT_DOUBLE_EQ(baffle.horizontal, r.horizontal) << r.face;
    EXPECT_DOUBLE_EQ(baffle.vertical, r.vertical) << r.face;
    EXPECT_DOUBLE_EQ(baffle.forward, r.forward) << r.face;
    // Rear outlet on the same face at the same spot is the chassis position.
    EXPECT_EQ(baffle.rearHorizontal, baffle.horizontal);
    EXPECT_EQ(baffle.rearVertical, baffle.vertical);
    EXPECT_EQ(baffle.rearForward, baffle.forward);
    // On the opposite face it is that face's row.
    ASSERT_TRUE(BaffleFromCabinet(baffle, box, r.face, RearOppositeFace, A, C, 0.05, 0.06));
    const RoomPoint opp = FacePointToRoom(box, OppositeFace(r.face), 0.05, 0.06);
    EXPECT_EQ(baffle.rearHorizontal, opp.horizontal);
    EXPECT_EQ(baffle.rearVertical, opp.vertical);
    EXPECT_EQ(baffle.rearForward, opp.forward);
    // The dialog reads the outlet back into face coordinates.
    double a = 0, c = 0;
    RoomToFacePoint(box, OppositeFace(r.face), {baffle.rearHorizontal, baffle.rearVertical, baffle.rearForward}, a, c);
    EXPECT_NEAR(a, 0.05, 1e-15) << r.face;
    EXPECT_NEAR(c, 0.06, 1e-15) << r.face;
  }
  EXPECT_EQ(OppositeFace(FaceFront), FaceBack);
  EXPECT_EQ(OppositeFace(FaceRight), FaceLeft);
  EXPECT_EQ(OppositeFace(FaceBottom), FaceTop);
}

TEST(Cabinet, UnknownFaceOrRearSideLeavesRecordUnchanged) {
  const Baffle before = Blank();
  for (auto [face, rear] : {std::pair{-2, 0}, std::pair{6, 0}, std::pair{0, 2}, std::pair{3, -1}}) {
    Baffle baffle = before;
    EXPECT_FALSE(BaffleFromCabinet(baffle, Box(), face, rear, 0.1, 0.1, 0.1, 0.1));
    EXPECT_EQ(baffle, before);
  }
}

// The outlet's place on its face follows from the baffle record alone: for a
// record derived from the box it is the place it was derived from, on every
// face and on either side.
TEST(CabinetPort, FacePointComesBackFromTheRecord) {
  const Cabinet box = Box();
  for (int face = FaceFront; face <= FaceBottom; ++face)
    for (int rear : {RearSameFace, RearOppositeFace}) {
      Baffle baffle = Blank();
      ASSERT_TRUE(BaffleFromCabinet(baffle, box, face, rear, 0.21, 0.07, 0.04, 0.09));
      double ar = 0, cr = 0;
      PortFacePoint(baffle, ar, cr);
      EXPECT_NEAR(ar, 0.04, 1e-15) << face << rear;
      EXPECT_NEAR(cr, 0.09, 1e-15) << face << rear;
    }
}

// A port on the box is checked as the chassis is: inside the face's edges,
// and beyond the front chamfers when it shares the front with the chassis.
TEST(CabinetPort, LiesOnItsFaceOrNot) {
  const Cabinet box = Box();  // 30 wide, 50 high, 40 deep; chamfers 11..14 mm
  struct Case {
    int face, rear;
    double ar, cr;
    bool on;
  };
  const Case cases[] = {
      {FaceFront, RearSameFace, 0.05, 0.05, true},
      {FaceFront, RearSameFace, -0.01, 0.05, false},     // below the box
      {FaceFront, RearSameFace, 0.51, 0.05, false},      // above it
      {FaceFront, RearSameFace, 0.05, 0.31, false},      // beside it
      {FaceFront, RearSameFace, 0.01, 0.05, false},      // on the lower chamfer (14 mm)
      {FaceFront, RearSameFace, 0.05, 0.295, false},     // on the right chamfer (12 mm)
      {FaceFront, RearOppositeFace, 0.01, 0.005, true},  // the back has no chamfers
      {FaceFront, RearOppositeFace, -0.42, 0.15, false},
      {FaceLeft, RearSameFace, 0.25, 0.38, true},       // 40 cm deep side, 11 mm chamfer at the front
      {FaceLeft, RearOppositeFace, 0.25, 0.41, false},  // beyond the depth
      {FaceTop, RearOppositeFace, 0.39, 0.29, true},    // bottom: 30 x 40 cm
      {FaceTop, RearOppositeFace, 0.41, 0.29, false},
  };
  for (const Case& c : cases) {
    Baffle baffle = Blank();
    ASSERT_TRUE(BaffleFromCabinet(baffle, box, c.face, c.rear, 0.2, 0.15, c.ar, c.cr));
    EXPECT_EQ(PortOnBaffle(baffle), c.on) << c.face << " " << c.rear << " " << c.ar << " " << c.cr;
  }
  // A box of no size holds no port.
  Baffle baffle = Blank();
  ASSERT_TRUE(BaffleFromCabinet(baffle, Cabinet{}, FaceFront, RearSameFace, 0, 0, 0, 0));
  EXPECT_FALSE(PortOnBaffle(baffle));
}

TEST(CabinetPort, OnlyVentedTypesHaveOne) {
  for (int type = -1; type <= 5; ++type) EXPECT_EQ(HasCabinetPort(type), type == 2 || type == 4) << type;
}

}  // namespace
}  // namespace sonvex
