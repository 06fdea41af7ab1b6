// tintwell_desktop: the plug-in's pop-up menu as the host shows it. Item
// texts carry their submenu path with "/" between the levels; items that
// share a path prefix gather in one submenu, in the order they first appear.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "simhost.h"

namespace desktop {

struct MenuNode {
  std::string label;   // this level's part of the text, UTF-8
  int32_t id = 0;      // the id the host returns when the item is chosen
  int32_t flags = 0;   // the item's flags (separator, checked, checkable)
  bool separator = false;
  bool submenu = false;
  std::vector<MenuNode> children;  // a submenu's entries
};

struct MenuTree {
  std::vector<MenuNode> top;
};

// Builds the tree of a menu; `toUtf8` converts the plug-in's 8-bit texts.
// Empty path parts are skipped ("a//b" is "a/b"); an item whose own label is
// empty shows as "?".
MenuTree BuildMenuTree(const simhost::PopupMenuRecord& menu,
                       const std::function<std::string(const std::string&)>& toUtf8);

}  // namespace desktop
