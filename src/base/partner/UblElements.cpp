#include "base/partner/UblElements.h"

#include "base/util/Text.h"

namespace tavrek::ubl {

std::string_view LocalName(const pugi::xml_node& node) {
    const std::string_view name = node.name();
    const size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node Child(const pugi::xml_node& parent, std::string_view localName) {
    for (pugi::xml_node child : parent.children())
        if (child.type() == pugi::node_element && LocalName(child) == localName) return child;
    return {};
}

std::vector<pugi::xml_node> Children(const pugi::xml_node& parent, std::string_view localName) {
    std::vector<pugi::xml_node> found;
    for (pugi::xml_node child : parent.children())
        if (child.type() == pugi::node_element && LocalName(child) == localName) found.push_back(child);
    return found;
}

pugi::xml_node Path(pugi::xml_node node, std::initializer_list<std::string_view> path) {
    for (std::string_view step : path) {
        if (!node) break;
        node = Child(node, step);
    }
    return node;
}

std::string Text(const pugi::xml_node& node) { return node ? Trim(node.child_value()) : std::string(); }

std::string Text(const pugi::xml_node& node, std::initializer_list<std::string_view> path) {
    return Text(Path(node, path));
}

}  // namespace tavrek::ubl
