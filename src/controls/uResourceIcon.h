// Icon replacement from an icon object: the form keeps the distributor's icon as a TIcon.
#pragma once
#include "container/uResourceTree.h"
#include "framework/Graphics.h"

// Same contract as ReplaceIconFromStream; an empty icon changes nothing and returns false.
bool ReplaceIcon(const std::string& fileName, TIcon& icon, const std::string& groupName);
