// The one wrapper over libical's protocol: the properties and subcomponents
// of a component as ranges, for loops instead of hand-written first/next
// pairs, and the few places where its C interface needs a cast.
#pragma once

#include <libical/ical.h>

namespace wekset::ics {

/// The children of one kind of a component, first to last. libical keeps one
/// cursor a component and kind, so two of these over the same component and
/// kind must not be gone through at once.
template <typename Node, typename Kind, Node* (*First)(icalcomponent*, Kind),
          Node* (*Next)(icalcomponent*, Kind)>
class Children {
 public:
  Children(icalcomponent* parent, Kind kind) : parent_(parent), kind_(kind) {}

  class Iterator {
   public:
    Iterator(icalcomponent* parent, Kind kind, Node* node)
        : parent_(parent), kind_(kind), node_(node) {}
    Node* operator*() const { return node_; }
    Iterator& operator++() {
      node_ = Next(parent_, kind_);
      return *this;
    }
    bool operator==(const Iterator& other) const { return node_ == other.node_; }

   private:
    icalcomponent* parent_;
    Kind kind_;
    Node* node_;
  };

  Iterator begin() const { return {parent_, kind_, First(parent_, kind_)}; }
  Iterator end() const { return {parent_, kind_, nullptr}; }

 private:
  icalcomponent* parent_;
  Kind kind_;
};

using Properties = Children<icalproperty, icalproperty_kind, icalcomponent_get_first_property,
                            icalcomponent_get_next_property>;
using Components = Children<icalcomponent, icalcomponent_kind, icalcomponent_get_first_component,
                            icalcomponent_get_next_component>;

/// The first property of a kind, or null.
inline icalproperty* FirstProperty(icalcomponent* component, icalproperty_kind kind) {
  return icalcomponent_get_first_property(component, kind);
}

/// A parameter's value, or null.
inline const char* Parameter(icalproperty* property, const char* name) {
  return icalproperty_get_parameter_as_string(property, name);
}

/// libical takes zones that it only reads as mutable.
inline icaltimezone* Mutable(const icaltimezone* zone) { return const_cast<icaltimezone*>(zone); }

/// A text that libical gives, or otherwise where it gives none or an empty one.
inline const char* TextOr(const char* text, const char* otherwise) {
  return text != nullptr && *text != '\0' ? text : otherwise;
}

}  // namespace wekset::ics
