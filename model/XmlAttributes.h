#pragma once

#include <optional>
#include <string>

// An element's attributes by name, whether the element stands in a tree or
// is being parsed, so that the rules of reading the file are written once.
class XmlAttributes {
public:
    // A copy of the value of the first attribute of that name as the tree
    // names it, or none when there is none.
    virtual std::optional<std::string> Get(const char* name) const = 0;

protected:
    ~XmlAttributes() = default;
};
