// Views without a window: control values, edits and dirty state, mouse dispatch, timers.
#include "vstgui/vstgui.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace VSTGUI;

namespace {

// Records what reaches the editor and the listener.
struct Recorder : VSTGUIEditorInterface, IControlListener, IMouseObserver
{
	std::vector<std::string> log;

	void beginEdit (int32_t index) override { log.push_back ("editor begin " + std::to_string (index)); }
	void endEdit (int32_t index) override { log.push_back ("editor end " + std::to_string (index)); }
	void valueChanged (CControl* c) override { log.push_back ("value " + std::to_string (c->getValue ())); }
	void controlBeginEdit (CControl*) override { log.push_back ("listener begin"); }
	void controlEndEdit (CControl*) override { log.push_back ("listener end"); }

	CMouseEventResult downResult = kMouseEventNotHandled;
	void onMouseEntered (CView*, CFrame*) override { log.push_back ("observer entered"); }
	void onMouseExited (CView*, CFrame*) override { log.push_back ("observer exited"); }
	CMouseEventResult onMouseDown (CFrame*, const CPoint& where, const CButtonState&) override
	{
		log.push_back ("observer down " + std::to_string (int (where.x)) + "," +
		               std::to_string (int (where.y)));
		return downResult;
	}
};

// A control that logs its mouse events (with the point it was given) and answers as told.
struct Probe : CControl
{
	Probe (const CRect& r, std::vector<std::string>* log, std::string name,
	       CMouseEventResult answer = kMouseEventHandled)
	    : CControl (r), log (log), name (std::move (name)), answer (answer)
	{}
	CMouseEventResult record (const char* what, const CPoint& p)
	{
		log->push_back (name + " " + what + " " + std::to_string (int (p.x)) + "," +
		                std::to_string (int (p.y)));
		return answer;
	}
	CMouseEventResult onMouseDown (CPoint& p, const CButtonState&) override { return record ("down", p); }
	CMouseEventResult onMouseMoved (CPoint& p, const CButtonState&) override { return record ("moved", p); }
	CMouseEventResult onMouseUp (CPoint& p, const CButtonState&) override { return record ("up", p); }
	CMouseEventResult onMouseEntered (CPoint& p, const CButtonState&) override
	{
		return record ("entered", p);
	}
	CMouseEventResult onMouseExited (CPoint& p, const CButtonState&) override { return record ("exited", p); }

	std::vector<std::string>* log;
	std::string name;
	CMouseEventResult answer;
};

// A frame and its editor; the frame is closed (and released) at the end.
class FrameTest : public ::testing::Test
{
protected:
	void TearDown () override { frame->close (); }

	Recorder recorder;
	CFrame* frame = new CFrame (CRect (0, 0, 200, 100), &recorder);
};

} // namespace

using ControlTest = FrameTest;

TEST_F (ControlTest, Defaults)
{
	auto control = new Probe (CRect (0, 0, 10, 10), &recorder.log, "c");
	frame->addView (control);
	EXPECT_EQ (control->getValue (), 0.f);
	EXPECT_EQ (control->getMin (), 0.f);
	EXPECT_EQ (control->getMax (), 1.f);
	EXPECT_EQ (control->getDefaultValue (), 0.5f);
	EXPECT_EQ (control->getListener (), nullptr);
	EXPECT_EQ (control->getFrame (), frame);
	EXPECT_EQ (frame->getEditor (), &recorder);
	EXPECT_EQ (control->getNbReference (), 1); // the frame owns the caller's reference
}

TEST_F (ControlTest, SetValueClampsAndDoesNotNotify)
{
	auto control = new Probe (CRect (0, 0, 10, 10), &recorder.log, "c");
	control->setListener (&recorder);
	frame->addView (control);
	control->setValue (1.5f);
	EXPECT_EQ (control->getValue (), 1.f);
	control->setValue (-1.f);
	EXPECT_EQ (control->getValue (), 0.f);
	EXPECT_TRUE (recorder.log.empty ());
	control->setValue (0.25f);
	control->valueChanged ();
	EXPECT_EQ (recorder.log, std::vector<std::string> ({"value 0.250000"}));
}

TEST_F (ControlTest, NestedEditsReachTheEditorOnceWithTheTag)
{
	auto control = new Probe (CRect (0, 0, 10, 10), &recorder.log, "c");
	control->setListener (&recorder);
	control->setTag (7);
	frame->addView (control);
	control->beginEdit ();
	control->beginEdit ();
	EXPECT_EQ (control->getEditCount (), 2);
	control->endEdit ();
	EXPECT_TRUE (control->isEditing ());
	control->endEdit ();
	control->endEdit (); // no edit open: ignored
	EXPECT_EQ (control->getEditCount (), 0);
	EXPECT_EQ (recorder.log, std::vector<std::string> (
	                             {"editor begin 7", "listener begin", "listener end", "editor end 7"}));
}

TEST_F (ControlTest, DirtyWhileTheValueDiffersFromTheDrawnOne)
{
	auto control = new Probe (CRect (0, 0, 10, 10), &recorder.log, "c");
	frame->addView (control);
	control->setDirty (false);
	EXPECT_FALSE (control->isDirty ());
	control->setValue (0.3f);
	EXPECT_TRUE (control->isDirty ());
	control->setValue (0.f);
	EXPECT_FALSE (control->isDirty ()); // back to the drawn value
	control->setDirty (true);
	EXPECT_TRUE (control->isDirty ());
	frame->idle (); // the idle pass repaints it
	EXPECT_FALSE (control->isDirty ());
	EXPECT_FALSE (frame->isDirty ());

	control->setValue (0.7f);
	EXPECT_TRUE (frame->isDirty ());
	frame->idle ();
	EXPECT_FALSE (control->isDirty ());
}

TEST_F (ControlTest, TextLabelDefaultsAndText)
{
	auto label = new CTextLabel (CRect (0, 0, 50, 20), "ON");
	frame->addView (label);
	EXPECT_EQ (label->getText (), "ON");
	EXPECT_EQ (label->getHoriAlign (), kCenterText);
	EXPECT_FALSE (label->getTransparency ());
	EXPECT_EQ (label->getStyle (), 0);
	label->setDirty (false);
	label->setText ("OFF");
	EXPECT_EQ (label->getText (), "OFF");
	EXPECT_TRUE (label->isDirty ());
	frame->idle ();
	label->setText ("OFF");
	EXPECT_FALSE (label->isDirty ()); // the same text changes nothing
	label->setTransparency (true);
	label->setFontColor (CColor (1, 2, 3, 4));
	EXPECT_TRUE (label->getTransparency ());
	EXPECT_EQ (label->getFontColor (), CColor (1, 2, 3, 4));
}

using MouseTest = FrameTest;

TEST_F (MouseTest, TopmostViewFirstThenTheOnesBelow)
{
	auto& log = recorder.log;
	frame->addView (new Probe (CRect (0, 0, 100, 100), &log, "below"));
	auto top = new Probe (CRect (50, 0, 150, 100), &log, "top", kMouseEventNotHandled);
	frame->addView (top);
	CPoint p (60, 10);
	EXPECT_EQ (frame->onMouseDown (p, kLButton), kMouseEventHandled);
	EXPECT_EQ (log, std::vector<std::string> ({"top down 60,10", "below down 60,10"}));
	log.clear ();
	p (120, 10);
	EXPECT_EQ (frame->onMouseDown (p, kLButton), kMouseEventNotHandled); // only "top" is there
	EXPECT_EQ (log, std::vector<std::string> ({"top down 120,10"}));
	log.clear ();
	p (190, 10);
	EXPECT_EQ (frame->onMouseDown (p, kLButton), kMouseEventNotHandled);
	EXPECT_TRUE (log.empty ());
}

TEST_F (MouseTest, PressingViewGetsMovesAndReleaseWherever)
{
	auto& log = recorder.log;
	frame->addView (new Probe (CRect (0, 0, 50, 50), &log, "a"));
	frame->addView (new Probe (CRect (100, 0, 150, 50), &log, "b"));
	CPoint p (10, 10);
	frame->onMouseDown (p, kLButton);
	p (120, 10);
	frame->onMouseMoved (p, kLButton);
	p (180, 90);
	frame->onMouseUp (p, kLButton);
	EXPECT_EQ (log, std::vector<std::string> ({"a down 10,10", "a moved 120,10", "a up 180,90"}));
	log.clear ();
	p (120, 10);
	frame->onMouseMoved (p, 0); // no capture any more: hover goes to b
	EXPECT_EQ (log, std::vector<std::string> ({"b entered 120,10", "b moved 120,10"}));
}

TEST_F (MouseTest, ObserversHearHoverAndMaySwallowPresses)
{
	auto& log = recorder.log;
	frame->registerMouseObserver (&recorder);
	frame->addView (new Probe (CRect (0, 0, 50, 50), &log, "a"));
	CPoint p (10, 10);
	frame->onMouseMoved (p, 0);
	p (100, 10);
	frame->onMouseMoved (p, 0);
	EXPECT_EQ (log, std::vector<std::string> ({"a entered 10,10", "observer entered", "a moved 10,10",
	                                           "a exited 100,10", "observer exited"}));
	log.clear ();
	recorder.downResult = kMouseEventHandled;
	p (10, 10);
	EXPECT_EQ (frame->onMouseDown (p, kLButton), kMouseEventHandled); // the observer's answer
	EXPECT_EQ (log, std::vector<std::string> ({"observer down 10,10"}));
	log.clear ();
	recorder.downResult = kMouseEventNotHandled;
	frame->unregisterMouseObserver (&recorder);
	frame->onMouseDown (p, kLButton);
	EXPECT_EQ (log, std::vector<std::string> ({"a down 10,10"}));
}

TEST_F (MouseTest, ZoomScalesTheFrameButNotTheViews)
{
	auto& log = recorder.log;
	frame->addView (new Probe (CRect (100, 40, 150, 60), &log, "a"));
	EXPECT_TRUE (frame->setZoom (1.5));
	EXPECT_EQ (frame->getViewSize (), CRect (0, 0, 300, 150));
	EXPECT_EQ (frame->getZoom (), 1.5);
	CPoint p (180, 75); // 120, 50 in view coordinates
	frame->platformOnMouseDown (p, kLButton);
	EXPECT_EQ (log, std::vector<std::string> ({"a down 120,50"}));
	EXPECT_TRUE (frame->setZoom (1.));
	EXPECT_EQ (frame->getViewSize (), CRect (0, 0, 200, 100));
	EXPECT_FALSE (frame->setZoom (0.));
}

TEST (FrameLifetimeTest, CloseReleasesTheFrameAndItsViews)
{
	struct Tracked : CView
	{
		Tracked (bool* gone) : CView (CRect (0, 0, 1, 1)), gone (gone) {}
		~Tracked () noexcept override { *gone = true; }
		bool* gone;
	};
	bool gone = false;
	auto frame = new CFrame (CRect (0, 0, 10, 10), nullptr);
	frame->addView (new Tracked (&gone));
	frame->remember ();
	frame->close ();
	EXPECT_TRUE (gone);
	EXPECT_EQ (frame->getNbViews (), 0u);
	EXPECT_EQ (frame->getNbReference (), 1);
	frame->forget ();
}

namespace {
// A run loop whose clock moves only when told, a millisecond at a time.
struct ManualRunLoop : X11::IRunLoop, NonAtomicReferenceCounted
{
	struct Timer
	{
		X11::ITimerHandler* handler;
		uint64_t interval, due;
	};
	std::vector<Timer> timers;
	uint64_t now = 0;

	bool registerEventHandler (int, X11::IEventHandler*) override { return false; }
	bool unregisterEventHandler (X11::IEventHandler*) override { return false; }
	bool registerTimer (uint64_t interval, X11::ITimerHandler* handler) override
	{
		timers.push_back ({handler, interval, now + interval});
		return true;
	}
	bool unregisterTimer (X11::ITimerHandler* handler) override
	{
		auto n = timers.size ();
		timers.erase (
		    std::remove_if (timers.begin (), timers.end (), [&] (auto& t) { return t.handler == handler; }),
		    timers.end ());
		return timers.size () != n;
	}
	void advance (uint64_t milliseconds)
	{
		for (auto end = now + milliseconds; now < end;)
		{
			++now;
			for (auto t : std::vector<Timer> (timers)) // copied: a handler may unregister
			{
				auto it = std::find_if (timers.begin (), timers.end (),
				                        [&] (auto& x) { return x.handler == t.handler; });
				if (it == timers.end () || it->due > now)
					continue;
				it->due += it->interval;
				t.handler->onTimer ();
			}
		}
	}
};

struct TimerTarget : CBaseObject
{
	std::vector<CBaseObject*> senders;
	std::vector<IdStringPtr> messages;
	CMessageResult notify (CBaseObject* sender, IdStringPtr message) override
	{
		senders.push_back (sender);
		messages.push_back (message);
		return kMessageNotified;
	}
};
} // namespace

TEST (TimerTest, NotifiesTheTargetAtItsPeriodOnTheRunLoop)
{
	ManualRunLoop loop;
	X11::RunLoop::init (&loop);
	auto target = makeOwned<TimerTarget> ();
	auto timer = makeOwned<CVSTGUITimer> (target.get (), 20, true);
	EXPECT_EQ (loop.timers.size (), 1u);
	loop.advance (19);
	EXPECT_TRUE (target->messages.empty ());
	loop.advance (41);
	ASSERT_EQ (target->messages.size (), 3u);
	EXPECT_EQ (target->messages[0], CVSTGUITimer::kMsgTimer);
	EXPECT_EQ (target->senders[0], timer.get ());
	timer->setFireTime (25); // restarts with the new period
	loop.advance (24);
	EXPECT_EQ (target->messages.size (), 3u);
	loop.advance (1);
	EXPECT_EQ (target->messages.size (), 4u);
	timer->stop ();
	loop.advance (100);
	EXPECT_EQ (target->messages.size (), 4u);
	EXPECT_TRUE (loop.timers.empty ());
	X11::RunLoop::exit ();
}

TEST (TimerTest, CallbackMayStopAndReleaseItsTimer)
{
	ManualRunLoop loop;
	X11::RunLoop::init (&loop);
	int calls = 0;
	new CVSTGUITimer (
	    [&] (CVSTGUITimer* t) { // releases itself
		    ++calls;
		    t->stop ();
		    t->forget ();
	    },
	    10);
	loop.advance (50);
	EXPECT_EQ (calls, 1);
	EXPECT_TRUE (loop.timers.empty ());
	X11::RunLoop::exit ();
}

TEST (TimerTest, TheRunLoopIsCountedAndATimerStartedWithoutOneNeverFires)
{
	ManualRunLoop loop;
	int calls = 0;
	auto early = makeOwned<CVSTGUITimer> ([&] (CVSTGUITimer*) { ++calls; }, 10);
	EXPECT_TRUE (early->isRunning ()); // as in VSTGUI: running, but nothing serves it
	X11::RunLoop::init (&loop);
	X11::RunLoop::init (nullptr); // counted: the first run loop stays
	X11::RunLoop::exit ();
	EXPECT_EQ (X11::RunLoop::get ().get (), &loop);
	loop.advance (50);
	EXPECT_EQ (calls, 0);
	X11::RunLoop::exit ();
	EXPECT_EQ (X11::RunLoop::get (), nullptr);
	EXPECT_EQ (loop.getNbReference (), 1); // let go
}
