#include "data/component.h"

#include <utility>

#include "base/ascii.h"
#include "base/errors.h"

namespace ris {
namespace {

constexpr std::string_view kClassNotFound = "Class %s not found";

constexpr std::size_t kAbsent = static_cast<std::size_t>(-1);

std::size_t FindByName(const std::vector<ObjectProperty>& properties, std::string_view name) {
  for (std::size_t i = 0; i < properties.size(); ++i) {
    if (EqualsFolded(properties[i].Name, name)) return i;
  }
  return kAbsent;
}

}  // namespace

void TComponent::ReadObject(const ObjectNode& node) {
  Name = node.Name;
  header_ = node.Header;
  position_ = node.Position;
  children_ = node.Children;
  lines_.clear();
  for (const auto& property : node.Properties) {
    StoredLine line;
    line.Modelled = ReadProperty(property);
    if (line.Modelled) {
      line.Property.Name = property.Name;
    } else {
      line.Property = property;
    }
    lines_.push_back(std::move(line));
  }
}

ObjectNode TComponent::WriteObject() const {
  ObjectNode node;
  node.Header = header_;
  node.Name = Name;
  node.ClassName = ClassName();
  node.Position = position_;
  node.Children = children_;

  const std::vector<ObjectProperty> modelled = ModelledProperties();
  std::vector<bool> written(modelled.size(), false);
  for (const auto& line : lines_) {
    if (!line.Modelled) {
      node.Properties.push_back(line.Property);
      continue;
    }
    // A property read twice is written once, at its first place. One that
    // no longer maps to a stored property (a size that is stored as a
    // height) is dropped; its stored form is placed below.
    const std::size_t at = FindByName(modelled, line.Property.Name);
    if (at != kAbsent && !written[at]) {
      node.Properties.push_back(modelled[at]);
      written[at] = true;
    }
  }

  for (std::size_t i = 0; i < modelled.size(); ++i) {
    if (written[i]) continue;
    // After the last line of a modelled property that comes before it in
    // ModelledProperties() order; failing that, before the first modelled line.
    std::size_t insert_at = kAbsent;
    std::size_t first_modelled = kAbsent;
    for (std::size_t p = 0; p < node.Properties.size(); ++p) {
      const std::size_t rank = FindByName(modelled, node.Properties[p].Name);
      if (rank == kAbsent) continue;
      if (first_modelled == kAbsent) first_modelled = p;
      if (rank < i) insert_at = p + 1;
    }
    if (insert_at == kAbsent) insert_at = first_modelled == kAbsent ? 0 : first_modelled;
    node.Properties.insert(node.Properties.begin() + static_cast<std::ptrdiff_t>(insert_at),
                           modelled[i]);
    written[i] = true;
  }
  return node;
}

std::vector<ObjectProperty> TComponent::UnmodelledProperties() const {
  std::vector<ObjectProperty> properties;
  for (const auto& line : lines_) {
    if (!line.Modelled) properties.push_back(line.Property);
  }
  return properties;
}

bool TComponent::ReadProperty(const ObjectProperty&) { return false; }

std::vector<ObjectProperty> TComponent::ModelledProperties() const { return {}; }

void ComponentClassRegistry::Register(std::string_view class_name, ComponentFactory factory) {
  factories_[FoldAscii(class_name)] = std::move(factory);
}

bool ComponentClassRegistry::IsRegistered(std::string_view class_name) const {
  return factories_.contains(FoldAscii(class_name));
}

std::unique_ptr<TComponent> ComponentClassRegistry::Create(std::string_view class_name) const {
  const auto found = factories_.find(FoldAscii(class_name));
  std::unique_ptr<TComponent> component;
  if (found != factories_.end() && found->second) component = found->second();
  if (!component) throw EClassNotFound(FormatMessage(kClassNotFound, class_name));
  return component;
}

std::unique_ptr<TComponent> TextToComponent(std::string_view text,
                                            const ComponentClassRegistry& registry) {
  const ObjectNode node = ParseObjectText(text);
  auto component = registry.Create(node.ClassName);
  component->ReadObject(node);
  return component;
}

std::string ComponentToText(const TComponent& component) {
  return WriteObjectText(component.WriteObject());
}

}  // namespace ris
