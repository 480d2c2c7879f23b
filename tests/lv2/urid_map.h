#pragma once

// The URID map of the LV2 test hosts: URIs numbered from 1 in the order they are first asked for.
#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include <string>
#include <vector>

namespace lv2test {

struct UridMap
{
	std::vector<std::string> uris;
	LV2_URID_Map map {this, &UridMap::mapUri};
	LV2_Feature feature {LV2_URID__map, &map};

	static LV2_URID mapUri (LV2_URID_Map_Handle handle, const char* uri)
	{
		auto& uris = static_cast<UridMap*> (handle)->uris;
		for (size_t i = 0; i < uris.size (); ++i)
			if (uris[i] == uri)
				return static_cast<LV2_URID> (i + 1);
		uris.emplace_back (uri);
		return static_cast<LV2_URID> (uris.size ());
	}
	LV2_URID operator() (const char* uri) { return mapUri (this, uri); }
};

} // namespace lv2test
