#include "editor/chopwrighteditor.h"

#include "controller/chopwrightcontroller.h"
#include "editor/controls/button.h"
#include "editor/controls/slider2.h"
#include "editor/controls/switch.h"
#include "editor/displays/oscilloscope.h"
#include "editor/displays/simpledisplay.h"
#include "editor/mybitmap.h"
#include "parameterids.h"

#include "public.sdk/source/vst/vstparameters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace VSTGUI;

namespace {

const CColor kLabelColour (0, 0, 0, 255);
const CColor kUnselectedColour (180, 180, 180, 255);

// GateSize as the readout shows it: the percentage truncated toward zero.
std::string percentText (float value)
{
	char text[16];
	std::snprintf (text, sizeof (text), "%d%%", static_cast<int> (value * 100.f));
	return text;
}

} // namespace

ChopwrightEditor::ChopwrightEditor (ChopwrightController* controller, ViewRect size)
    : VSTGUIEditor (controller, &size), initialRect (size)
{}

ChopwrightEditor::~ChopwrightEditor ()
{
	// A host may release the view without removing it first: the window and the registrations go
	// with it, never to be reached through a dangling editor.
	if (frame)
		removed ();
}

ChopwrightController* ChopwrightEditor::owner () const
{
	return static_cast<ChopwrightController*> (controller);
}

tresult PLUGIN_API ChopwrightEditor::onSize (ViewRect* newSize)
{
	// Sizes are in window pixels, the zoom in points: the content scale stands between them.
	if (!frame)
	{
		if (newSize && newSize->getWidth () > 0)
			zoom = newSize->getWidth () / contentScaleFactor / initialRect.getWidth ();
		return VSTGUIEditor::onSize (newSize);
	}
	if (!newSize || newSize->getWidth () <= 0)
		return kResultFalse;
	const double width = newSize->getWidth () / contentScaleFactor;
	if (std::lround (width) == std::lround (frame->getWidth ()))
		return kResultFalse;
	zoom = width / initialRect.getWidth ();
	frame->setZoom (zoom);
	return CPluginView::onSize (newSize);
}

tresult PLUGIN_API ChopwrightEditor::setContentScaleFactor (ScaleFactor factor)
{
	const tresult result = VSTGUIEditor::setContentScaleFactor (factor);
	if (result == kResultTrue && !frame)
	{
		const double pixelsPerPoint = zoom * factor;
		const auto width = static_cast<int32> (std::lround (initialRect.getWidth () * pixelsPerPoint));
		const auto height = static_cast<int32> (std::lround (initialRect.getHeight () * pixelsPerPoint));
		setRect (ViewRect (rect.left, rect.top, rect.left + width, rect.top + height));
	}
	return result;
}

CTextLabel* ChopwrightEditor::addLabel (const CRect& size, UTF8StringPtr text, const CColor& color)
{
	auto label = new CTextLabel (size, text);
	label->setTransparency (true);
	label->setFontColor (color);
	frame->addView (label);
	return label;
}

bool PLUGIN_API ChopwrightEditor::open (void* parent, const PlatformType& platformType)
{
	if (frame)
		return false;
	owner ()->setActiveEditor (this);
	// The layout in points at zoom 1, from the controller's current values; later views draw on top.
	auto value = [this] (ParamID id) { return static_cast<float> (controller->getParamNormalized (id)); };

	auto background = makeOwned<CBitmap> ("background.png");
	frame = new CFrame (CRect (0, 0, initialRect.getWidth (), initialRect.getHeight ()), this);
	frame->setBackground (background);

	auto slider = new Slider2 (CRect (256, 620, 546, 640), this, kGateSizeId);
	slider->setValue (value (kGateSizeId));
	controlsById[kGateSizeId] = slider;
	frame->addView (slider);

	auto released = makeOwned<MyBitmap> ("push_off.png");
	released->addScaledImage ("push_off_2x.png");
	released->addScaledImage ("push_off_1.5x.png");
	auto lit = makeOwned<MyBitmap> ("push_blue.png");
	lit->addScaledImage ("push_blue_2x.png");
	lit->addScaledImage ("push_blue_1.5x.png");
	const CCoord w = released->getWidth (), h = released->getHeight ();

	auto button = new Button (CRect (24, 620, 24 + w, 620 + h), this, kBreakId);
	button->setOffBitmap (released);
	button->setOnBitmap (lit);
	button->toggle = true;
	button->setValue (value (kBreakId));
	controlsById[kBreakId] = button;
	frame->addView (button);

	auto sliceSwitch = new Switch (CRect (100, 620, 100 + 3 * w, 620 + h), this, kSliceSizeId, lit, 3);
	sliceSwitch->setValue (value (kSliceSizeId));
	controlsById[kSliceSizeId] = sliceSwitch;
	frame->addView (sliceSwitch);

	breakStateLabel =
	    addLabel (CRect (22, 642, 46, 662), value (kBreakId) != 0.f ? "ON" : "OFF", kLabelColour);
	const UTF8StringPtr sliceNames[] = {"1/4", "1/8", "1/16"};
	for (int i = 0; i < 3; ++i)
		sliceLabels[i] =
		    addLabel (CRect (100 + 22 * i, 642, 122 + 22 * i, 662), sliceNames[i], kUnselectedColour);
	colourSliceLabels ();
	addLabel (CRect (260, 642, 360, 662), "GATE : ", kLabelColour);

	gateDisplay = new SimpleDisplay (CRect (300, 642, 400, 662));
	gateDisplay->fontColor = kLabelColour;
	gateDisplay->setText (percentText (value (kGateSizeId)).data ());
	frame->addView (gateDisplay);

	auto scope = new Oscilloscope (CRect (412, 256, 548, 606));
	scope->waveColor = CColor (0, 170, 255, 254);
	scope->guideColor = CColor (255, 255, 255, 0);
	scopeFeed = scope->getFeed ();
	frame->addView (scope);

	frame->registerMouseObserver (this);
	parameterListener.setEditor (this);
	for (ParamID id = 0; id < kNumParams; ++id)
		if (Parameter* parameter = controller->getParameterObject (id))
			parameter->addDependent (&parameterListener);

	frame->setZoom (zoom);
	frame->open (parent, platformType); // without a parent window the layout stands alone (offscreen)
	isOpenFlag = true;
	return true;
}

void PLUGIN_API ChopwrightEditor::close ()
{
	// The frame goes in any case, also while something else still holds it (an event being
	// delivered): its views and window are removed now, the object follows with the last holder.
	if (frame)
	{
		frame->unregisterMouseObserver (this);
		frame->close ();
		frame = nullptr;
	}
	isOpenFlag = false;
	for (ParamID id = 0; id < kNumParams; ++id)
		if (Parameter* parameter = controller->getParameterObject (id))
			parameter->removeDependent (&parameterListener);
	parameterListener.setEditor (nullptr);
	controlsById.fill (nullptr);
	breakStateLabel = nullptr;
	sliceLabels.fill (nullptr);
	gateDisplay = nullptr;
	scopeFeed.reset ();
	if (owner ()->getActiveEditor () == this)
		owner ()->setActiveEditor (nullptr);
}

void ChopwrightEditor::valueChanged (CControl* control)
{
	if (!control)
		return;
	// A click in the slider's last column gives a little over 1: the host gets the parameter's 1.
	const ParamID tag = control->getTag ();
	const ParamValue value = std::clamp<ParamValue> (control->getValue (), 0., 1.);
	controller->setParamNormalized (tag, value);
	controller->performEdit (tag, value);
}

CMouseEventResult ChopwrightEditor::onMouseMoved (CFrame*, const CPoint&, const CButtonState&)
{
	return kMouseEventNotHandled;
}

CMouseEventResult ChopwrightEditor::onMouseDown (CFrame*, const CPoint&, const CButtonState&)
{
	return isOpenFlag ? kMouseEventNotHandled : kMouseEventHandled;
}

// The selected position is the integer part of twice the controller's SliceSize.
void ChopwrightEditor::colourSliceLabels ()
{
	const auto selected = static_cast<int> (controller->getParamNormalized (kSliceSizeId) * 2.);
	for (int i = 0; i < 3; ++i)
		sliceLabels[i]->setFontColor (i == selected ? kLabelColour : kUnselectedColour);
}

void ChopwrightEditor::updateParameter (ParamID id, float value)
{
	if (id >= kNumParams || !isOpenFlag)
		return;
	if (CControl* control = controlsById[id])
		control->setValue (value);
	switch (id)
	{
		case kBreakId:
			breakStateLabel->setText (value != 0.f ? "ON" : "OFF");
			break;
		case kSliceSizeId:
			colourSliceLabels ();
			break;
		case kGateSizeId:
			gateDisplay->setText (percentText (value).data ());
			break;
		default:
			break;
	}
}

void ChopwrightEditor::setScopeData (const Steinberg::int8* data, Steinberg::int32 length)
{
	if (isOpenFlag && scopeFeed)
		scopeFeed->addAudioData (reinterpret_cast<const int8_t*> (data), length);
}
