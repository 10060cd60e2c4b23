#pragma once
// What Office reads from an add-in's customUI XML before it draws the ribbon: the root's onLoad
// callback and, for every element with an id (tab, group, button, gallery, ...), the names of
// the callbacks it asks for its image, its enabled state and its click. Only elements and
// attributes are read (declarations, comments and CDATA are skipped, the five named entities
// and character references are decoded); namespaces are not checked.
//
// Pure values and functions; any thread.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orra::xlhost {

struct RibbonControl {
  std::string element;      // local name: "button", "gallery", ...
  std::string id;
  std::string get_image;    // empty when the control names no such callback
  std::string get_enabled;
  std::string on_action;
};

struct RibbonDescription {
  std::string on_load;  // empty when the root names none
  std::vector<RibbonControl> controls;  // in document order

  const RibbonControl* Find(std::string_view id) const;
};

// `xml` is UTF-8. None, with `error` saying where and what, when it is no well-formed element
// tree with a customUI root.
std::optional<RibbonDescription> ParseRibbonXml(std::string_view xml, std::string& error);

}  // namespace orra::xlhost
