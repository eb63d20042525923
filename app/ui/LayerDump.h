// A text picture of a layer tree for scripted runs and tests: one line per layer in
// pre-order, fields separated by TAB: depth, class, name, window rectangle "l,t,r,b",
// visible and enabled (0/1, with the ancestors'), text colour RRGGBB and text; list boxes
// add item count, item height, selection, scroll position and the item texts; sliders add
// their position. Line feeds and TABs inside texts are written as \n and \t.
#pragma once

#include <string>

class CWceUiLayer;

// Dumps the layer's children (not the layer itself) from depth 0.
std::string DumpLayerChildren(CWceUiLayer* pParent);
