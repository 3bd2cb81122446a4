#pragma once
// Components that are stored as object text (data/object_text.h), and the
// registry of the classes a text may name.
//
// A component class models some of its stored properties; everything else a
// text holds (other properties, child objects) is kept as read and written
// back unchanged, in its place, so that a text written by a newer or richer
// program survives a load and save here.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/object_text.h"

namespace ris {

class TComponent {
 public:
  static constexpr std::string_view kClassName = "TComponent";

  TComponent() = default;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  virtual ~TComponent() = default;

  std::string Name;

  virtual std::string_view ClassName() const { return kClassName; }

  // Takes the name, the properties in text order and the children of a
  // parsed object. A modelled property with a value it cannot hold raises
  // EParserError.
  void ReadObject(const ObjectNode& node);

  // The object to write. Properties that were read keep their places; a
  // modelled property that was not read goes right after the last line of a
  // modelled property that precedes it in ModelledProperties() order, or
  // before the first modelled line when none does, so a new text lists the
  // modelled properties first, in that order.
  ObjectNode WriteObject() const;

  // The properties read that this class does not model, in text order.
  std::vector<ObjectProperty> UnmodelledProperties() const;

 protected:
  // Applies one property read from text; false when the class does not model
  // it, so that it is kept as read.
  virtual bool ReadProperty(const ObjectProperty& property);

  // The modelled properties to write, with their current values, in the
  // order a new text lists them. Names are matched in any letter case.
  virtual std::vector<ObjectProperty> ModelledProperties() const;

 private:
  // One property line as read: a modelled one is written with its current
  // value, an unmodelled one as it was read.
  struct StoredLine {
    bool Modelled = false;
    ObjectProperty Property;
  };

  ObjectHeaderKind header_ = ObjectHeaderKind::Object;
  std::optional<std::int64_t> position_;
  std::vector<StoredLine> lines_;
  std::vector<ObjectNode> children_;
};

using ComponentFactory = std::function<std::unique_ptr<TComponent>()>;

// The classes that object texts may name. Class names are found in any
// letter case.
class ComponentClassRegistry {
 public:
  // Registers a class, replacing an earlier registration of the same name.
  void Register(std::string_view class_name, ComponentFactory factory);

  template <typename T>
  void Register() {
    Register(T::kClassName, [] { return std::make_unique<T>(); });
  }

  bool IsRegistered(std::string_view class_name) const;

  // A new component of the class; raises EClassNotFound "Class <name> not
  // found" when it was never registered.
  std::unique_ptr<TComponent> Create(std::string_view class_name) const;

 private:
  std::unordered_map<std::string, ComponentFactory> factories_;  // by folded name
};

// A new component of the class the text names, loaded from the text; the
// caller owns it. Malformed text raises EParserError (checked before the
// class), an unregistered class EClassNotFound.
std::unique_ptr<TComponent> TextToComponent(std::string_view text,
                                            const ComponentClassRegistry& registry);

// "object <Name>: <ClassName>", one indented line per stored property, then
// "end"; every line ends in CR LF.
std::string ComponentToText(const TComponent& component);

}  // namespace ris
