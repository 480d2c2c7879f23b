// Geometry, colours, button states and counted references.
#include "vstgui/vstgui.h"

#include <gtest/gtest.h>

using namespace VSTGUI;

TEST (CRectTest, SizeAndOffset)
{
	CRect r (10, 20, 110, 70);
	EXPECT_EQ (r.getWidth (), 100);
	EXPECT_EQ (r.getHeight (), 50);
	r.offset (5, -5);
	EXPECT_EQ (r, CRect (15, 15, 115, 65));
	r.inset (5, 5);
	EXPECT_EQ (r, CRect (20, 20, 110, 60));
	EXPECT_EQ (CRect (CPoint (1, 2), CPoint (3, 4)), CRect (1, 2, 4, 6));
	EXPECT_EQ (r.setWidth (10), CRect (20, 20, 30, 60));
}

TEST (CRectTest, PointInsideIncludesLeftTopExcludesRightBottom)
{
	CRect r (0, 0, 10, 10);
	EXPECT_TRUE (r.pointInside (CPoint (0, 0)));
	EXPECT_TRUE (r.pointInside (CPoint (9.999, 9.999)));
	EXPECT_FALSE (r.pointInside (CPoint (10, 5)));
	EXPECT_FALSE (r.pointInside (CPoint (5, 10)));
	EXPECT_FALSE (r.pointInside (CPoint (-0.001, 5)));
}

TEST (CRectTest, OverlapBoundAndUnite)
{
	CRect a (0, 0, 10, 10), b (5, 5, 20, 20), c (10, 0, 20, 10);
	EXPECT_TRUE (a.rectOverlap (b));
	EXPECT_FALSE (a.rectOverlap (c)); // touching edges do not overlap
	EXPECT_EQ (CRect (a).bound (b), CRect (5, 5, 10, 10));
	EXPECT_TRUE (CRect (a).bound (CRect (30, 30, 40, 40)).isEmpty ());
	EXPECT_EQ (CRect (a).unite (b), CRect (0, 0, 20, 20));
	EXPECT_EQ (CRect ().unite (b), b);
	EXPECT_EQ (CRect (a).unite (CRect ()), a);
}

TEST (CGraphicsTransformTest, ScaleTranslateAndInverse)
{
	auto t = CGraphicsTransform ().scale (2, 2).translate (10, 5); // scale first, then move
	CPoint p (3, 4);
	t.transform (p);
	EXPECT_EQ (p, CPoint (16, 13));
	t.inverse ().transform (p);
	EXPECT_DOUBLE_EQ (p.x, 3);
	EXPECT_DOUBLE_EQ (p.y, 4);
	CRect r (1, 1, 2, 3);
	EXPECT_EQ (t.transform (r), CRect (12, 7, 14, 11));
}

TEST (CColorTest, ComponentsAndDefault)
{
	CColor c (12, 255, 4, 128);
	EXPECT_EQ (c.red, 12);
	EXPECT_EQ (c.green, 255);
	EXPECT_EQ (c.blue, 4);
	EXPECT_EQ (c.alpha, 128);
	EXPECT_EQ (CColor (), kWhiteCColor);
	EXPECT_NE (c, CColor (12, 255, 4, 127));
}

TEST (CButtonStateTest, BitValues)
{
	EXPECT_EQ (kDoubleClick, 1);
	EXPECT_EQ (kLButton, 2);
	EXPECT_EQ (kMButton, 4);
	EXPECT_EQ (kRButton, 8);
	EXPECT_EQ (kShift, 16);
	EXPECT_EQ (kControl, 32);
	EXPECT_EQ (kAlt, 64);
	EXPECT_EQ (kApple, 128);
	EXPECT_EQ (kButton4, 256);
	EXPECT_EQ (kButton5, 512);
}

TEST (CButtonStateTest, LeftButtonMeansExactlyLeftWhateverTheModifiers)
{
	EXPECT_TRUE (CButtonState (kLButton).isLeftButton ());
	EXPECT_TRUE (CButtonState (kLButton | kControl | kShift | kDoubleClick).isLeftButton ());
	EXPECT_FALSE (CButtonState (kLButton | kRButton).isLeftButton ());
	EXPECT_FALSE (CButtonState (kRButton).isLeftButton ());
	EXPECT_TRUE (CButtonState (kRButton | kAlt).isRightButton ());
	CButtonState s (kLButton | kControl | kApple | kDoubleClick);
	EXPECT_EQ (s.getButtonState (), kLButton);
	EXPECT_EQ (s.getModifierState (), kControl | kApple);
	EXPECT_TRUE (s.isDoubleClick ());
	EXPECT_EQ (s & 0x3FE, kLButton | kControl | kApple);
}

namespace {
struct Counted : CBaseObject
{
	explicit Counted (int* deletions) : deletions (deletions) {}
	~Counted () noexcept override { ++*deletions; }
	int* deletions;
};
} // namespace

TEST (ReferenceTest, CountStartsAtOneAndLastForgetDeletes)
{
	int deletions = 0;
	auto object = new Counted (&deletions);
	EXPECT_EQ (object->getNbReference (), 1);
	object->remember ();
	EXPECT_EQ (object->getNbReference (), 2);
	object->forget ();
	EXPECT_EQ (deletions, 0);
	object->forget ();
	EXPECT_EQ (deletions, 1);
}

TEST (ReferenceTest, SharedPointerHoldsOneReference)
{
	int deletions = 0;
	{
		auto owner = makeOwned<Counted> (&deletions);
		EXPECT_EQ (owner->getNbReference (), 1);
		{
			SharedPointer<Counted> second (owner);
			EXPECT_EQ (owner->getNbReference (), 2);
			SharedPointer<Counted> third (std::move (second));
			EXPECT_EQ (owner->getNbReference (), 2);
			EXPECT_EQ (second.get (), nullptr);
		}
		EXPECT_EQ (owner->getNbReference (), 1);
		owner = owner.get (); // self-assignment keeps it
		EXPECT_EQ (deletions, 0);
	}
	EXPECT_EQ (deletions, 1);
}

TEST (CBaseObjectTest, NotifyDefaultsToUnknown)
{
	auto object = makeOwned<CBaseObject> ();
	EXPECT_EQ (object->notify (nullptr, "anything"), kMessageUnknown);
	EXPECT_EQ (object->newCopy (), nullptr);
}
