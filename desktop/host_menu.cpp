// tintwell_desktop: building the pop-up menu's tree from its items.
#include "host_menu.h"

#include "host/host_functions.h"

namespace desktop {

namespace {

std::vector<std::string> PathParts(const std::string& text) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : text) {
    if (c == '/') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

}  // namespace

MenuTree BuildMenuTree(const simhost::PopupMenuRecord& menu,
                       const std::function<std::string(const std::string&)>& toUtf8) {
  MenuTree tree;
  for (const simhost::MenuItemRecord& item : menu.items) {
    // The path is split before conversion: "/" is ASCII and a GBK
    // character never holds that byte.
    std::vector<std::string> parts = PathParts(item.text);
    std::vector<MenuNode>* level = &tree.top;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
      const std::string label = toUtf8(parts[i]);
      MenuNode* found = nullptr;
      for (MenuNode& node : *level) {
        if (node.submenu && node.label == label) found = &node;
      }
      if (!found) {
        MenuNode node;
        node.label = label;
        node.submenu = true;
        level->push_back(node);
        found = &level->back();
      }
      level = &found->children;
    }
    MenuNode node;
    node.id = item.id;
    node.flags = item.flags;
    node.separator = (item.flags & kMenuSeparator) != 0;
    node.label = parts.empty() ? std::string(node.separator ? "" : "?") : toUtf8(parts.back());
    level->push_back(node);
  }
  return tree;
}

}  // namespace desktop
