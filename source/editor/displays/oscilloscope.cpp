#include "oscilloscope.h"

#include "vstgui/lib/cdrawcontext.h"
#include "vstgui/lib/cgraphicspath.h"

#include <algorithm>
#include <utility>

using namespace VSTGUI;

void OscilloscopeFeed::addAudioData (const int8_t* data, int32 length)
{
	if (scope)
		scope->addAudioData (data, length);
}

Oscilloscope::Oscilloscope (const CRect& size)
    : CView (size), rows (maxRows, 0.f), redrawTimer (owned (new CVSTGUITimer (this, redrawInterval, true))),
      feed (std::make_shared<OscilloscopeFeed> ())
{
	feed->scope = this;
}

Oscilloscope::~Oscilloscope () noexcept
{
	feed->scope = nullptr;
	redrawTimer->stop ();
}

void Oscilloscope::addAudioData (const int8_t* data, int32 length)
{
	if (!data)
		return;
	for (int32 i = 0; i < length; ++i)
	{
		// A block is closed by the first byte of the next one, which may come in a later message.
		if (blockFill >= blockSize)
		{
			appendRow (blockMin);
			blockMin = 0.f;
			blockFill = 0;
		}
		blockMin = std::min (blockMin, data[i] * 0.0078125f); // -128 .. 127 to -1 .. 127/128
		++blockFill;
	}
}

int32 Oscilloscope::rowCapacity () const
{
	const CCoord height = size.bottom - size.top;
	if (!(height >= rowPitch)) // also a NaN height
		return 0;
	if (height >= static_cast<CCoord> (maxRows) * rowPitch)
		return maxRows;
	return static_cast<int32> (height) / rowPitch;
}

void Oscilloscope::appendRow (float value)
{
	const int32 capacity = rowCapacity ();
	if (capacity == 0)
	{
		rowCount = 0; // lower than one row: nothing to show
		return;
	}
	if (rowCount >= capacity)
	{
		// The oldest row drops out, or as many as needed after the view became lower.
		const int32 drop = rowCount - capacity + 1;
		std::copy (rows.begin () + drop, rows.begin () + rowCount, rows.begin ());
		rowCount -= drop;
	}
	rows[rowCount++] = value;
}

CMessageResult Oscilloscope::notify (CBaseObject* sender, IdStringPtr message)
{
	if (message == CVSTGUITimer::kMsgTimer && sender == redrawTimer.get ())
		invalid ();
	return kMessageUnknown;
}

void Oscilloscope::drawPanel (CDrawContext* context)
{
	const CCoord left = size.left, top = size.top, right = size.right, bottom = size.bottom;
	const auto L = static_cast<int32> (left), T = static_cast<int32> (top);
	const auto H = static_cast<int32> (bottom - top);

	context->setFillColor (CColor (138, 209, 247, 255));
	context->drawRect (size, kDrawFilled);

	// A square grid of s by s, centred vertically; the container clips what lies outside.
	const CCoord s = (right - left) / 24.;
	context->setFrameColor (CColor (255, 255, 255, 64));
	context->setLineWidth (1);
	for (int32 i = 1; i <= 24; ++i)
		context->drawLine (CPoint (L + i * s, T), CPoint (L + i * s, T + H));
	const CCoord cy = top + (bottom - top) * 0.5;
	context->drawLine (CPoint (left, cy), CPoint (right, cy));
	for (int32 k = 1; k <= 31; ++k)
	{
		context->drawLine (CPoint (left, cy + k * s), CPoint (right, cy + k * s));
		context->drawLine (CPoint (left, cy - k * s), CPoint (right, cy - k * s));
	}

	// Dark bands fading out over the top and the bottom eighth.
	const CPoint upper (L, T), lower (L, static_cast<int32> (bottom));
	for (const auto& [from, to] : {std::pair (upper, lower), std::pair (lower, upper)})
	{
		auto path = owned (context->createGraphicsPath ());
		if (!path)
			continue;
		path->addRect (size);
		auto gradient = owned (path->createGradient (0., 0.125, CColor (0, 0, 0, 51), CColor (0, 0, 0, 0)));
		if (gradient)
			context->fillLinearGradient (path, *gradient, from, to, false, nullptr);
	}
}

void Oscilloscope::draw (CDrawContext* context)
{
	CView::draw (context);
	// An inverted, NaN or far too large rectangle has no whole pixels to draw in.
	constexpr CCoord limit = 1 << 30;
	if (!(size.left > -limit && size.top > -limit && size.right < limit && size.bottom < limit &&
	      size.left < size.right && size.top < size.bottom))
		return;
	if (!getBackground ())
		drawPanel (context);

	const auto L = static_cast<int32> (size.left), T = static_cast<int32> (size.top);
	const auto W = static_cast<int32> (size.right - size.left),
	           H = static_cast<int32> (size.bottom - size.top);

	context->setFrameColor (guideColor);
	for (int32 y : {T + H / 2, T + H / 4, T + 3 * (H / 4)})
		context->drawLine (CPoint (L, y), CPoint (L + W, y));

	// Bars centred on the view, |minimum| times half the height long each way, older rows fainter.
	const int32 c = W / 2;
	const float scale = H * 0.5f;
	context->setLineWidth (rowPitch - 3);
	for (int32 i = 0; i < rowCount; ++i)
	{
		const auto v = static_cast<int32> (rows[i] * scale);
		CColor color (waveColor);
		color.alpha =
		    static_cast<uint8_t> (static_cast<float> (i) * 100.f / static_cast<float> (rowCount) + 155.f);
		context->setFrameColor (color);
		const int32 y = T + rowPitch * i;
		context->drawLine (CPoint (L + c - v, y), CPoint (L + c + v, y));
	}
	setDirty (false);
}
