// The scrolling level display of the plug-in's output.
#pragma once

#include "vstgui/lib/ccolor.h"
#include "vstgui/lib/cview.h"
#include "vstgui/lib/cvstguitimer.h"

#include <cstdint>
#include <memory>
#include <vector>

class Oscilloscope;

// The way in for scope bytes that may outlive the view: while the oscilloscope exists they
// reach it, afterwards they are dropped unread.
class OscilloscopeFeed
{
public:
	void addAudioData (const int8_t* data, VSTGUI::int32 length);
	bool isConnected () const { return scope != nullptr; }

private:
	friend class Oscilloscope;
	Oscilloscope* scope {nullptr};
};

// Folds every 88 level bytes (one per output frame) into the block's minimum and shows the
// latest blocks as horizontal bars, one per row, newest at the bottom, over a gridded panel.
// Redraws itself every 20 ms.
class Oscilloscope : public VSTGUI::CView
{
public:
	static constexpr VSTGUI::int32 maxRows = 1600;
	static constexpr VSTGUI::int32 blockSize = 88; // bytes per row
	static constexpr VSTGUI::int32 rowPitch = 10;  // pixels from row to row; bars are 3 thinner
	static constexpr uint32_t redrawInterval = 20; // milliseconds

	explicit Oscilloscope (const VSTGUI::CRect& size);
	Oscilloscope (const Oscilloscope&) = delete;
	Oscilloscope& operator= (const Oscilloscope&) = delete;
	~Oscilloscope () noexcept override;

	// Consumes scope bytes; null or empty data changes nothing.
	void addAudioData (const int8_t* data, VSTGUI::int32 length);
	// For holders that may call after the view is gone (the editor).
	std::shared_ptr<OscilloscopeFeed> getFeed () const { return feed; }

	// The redraw timer's message invalidates the whole view; the result is always kMessageUnknown.
	VSTGUI::CMessageResult notify (VSTGUI::CBaseObject* sender, VSTGUI::IdStringPtr message) override;
	void draw (VSTGUI::CDrawContext* context) override;

	VSTGUI::CVSTGUITimer* getRedrawTimer () const { return redrawTimer; }
	VSTGUI::int32 getRowCount () const { return rowCount; }
	// Row values, oldest first: block minima in -1 .. 0.
	float getRow (VSTGUI::int32 index) const { return index >= 0 && index < rowCount ? rows[index] : 0.f; }

	VSTGUI::CColor waveColor {12, 255, 4, 255}; // bar colour; each row gets its own alpha
	VSTGUI::CColor guideColor {127, 127, 127, 255};

private:
	// Whole rows that fit the view's height, at most maxRows.
	VSTGUI::int32 rowCapacity () const;
	void appendRow (float value);
	void drawPanel (VSTGUI::CDrawContext* context);

	std::vector<float> rows;
	VSTGUI::int32 rowCount {0};
	VSTGUI::int32 blockFill {0};
	float blockMin {0.f};
	VSTGUI::SharedPointer<VSTGUI::CVSTGUITimer> redrawTimer;
	std::shared_ptr<OscilloscopeFeed> feed;
};
