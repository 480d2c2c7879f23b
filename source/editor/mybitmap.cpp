#include "editor/mybitmap.h"

using namespace VSTGUI;

bool MyBitmap::addScaledImage (UTF8StringPtr fileName)
{
	auto image = makeOwned<CBitmap> (fileName);
	auto resolution = image->getPlatformBitmap ();
	if (!resolution || !(getWidth () > 0))
		return false;
	resolution->setScaleFactor (resolution->getSize ().x / getWidth ());
	return addBitmap (resolution);
}
