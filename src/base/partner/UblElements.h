#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

namespace tavrek::ubl {

// UBL documents qualify every element with a namespace prefix that each vendor picks
// freely, so elements are matched by their local name.
std::string_view LocalName(const pugi::xml_node& node);
pugi::xml_node Child(const pugi::xml_node& parent, std::string_view localName);
std::vector<pugi::xml_node> Children(const pugi::xml_node& parent, std::string_view localName);
// The element at the end of a path of child elements; null when one is missing.
pugi::xml_node Path(pugi::xml_node node, std::initializer_list<std::string_view> path);
// The trimmed text of the element; empty for a null one.
std::string Text(const pugi::xml_node& node);
std::string Text(const pugi::xml_node& node, std::initializer_list<std::string_view> path);

}  // namespace tavrek::ubl
