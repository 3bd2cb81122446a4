#include "shells/headless/memory_hive.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "base/ascii.h"

namespace ris {

struct MemoryHiveNode {
  std::string name;                                                // as first spelled
  std::map<std::string, std::unique_ptr<MemoryHiveNode>> subkeys;  // by folded name
  ValueMap values;
};

namespace {

using Node = MemoryHiveNode;

// The folded names of a valid path, or nothing.
std::optional<std::vector<std::string_view>> SplitKeyPath(std::string_view path) {
  std::vector<std::string_view> names;
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  if (path.empty()) return names;
  while (true) {
    const auto separator = path.find('\\');
    const std::string_view name = path.substr(0, separator);
    if (name.empty() || name.size() > kMaxKeyNameBytes || names.size() == kMaxKeyDepth) {
      return std::nullopt;
    }
    names.push_back(name);
    if (separator == std::string_view::npos) return names;
    path.remove_prefix(separator + 1);
  }
}

Node* FindNode(Node& root, const std::vector<std::string>& folded_path) {
  Node* node = &root;
  for (const auto& name : folded_path) {
    const auto found = node->subkeys.find(name);
    if (found == node->subkeys.end()) return nullptr;
    node = found->second.get();
  }
  return node;
}

std::vector<std::string> FoldAll(const std::vector<std::string_view>& names) {
  std::vector<std::string> folded;
  folded.reserve(names.size());
  for (const auto name : names) folded.push_back(FoldAscii(name));
  return folded;
}

// Recursion depth is bounded by kMaxKeyDepth.
void Visit(const Node& node, std::string& path, const std::function<void(const KeyView&)>& visit) {
  visit(KeyView{path, node.values, !node.subkeys.empty()});
  for (const auto& [folded, subkey] : node.subkeys) {
    const std::size_t length = path.size();
    if (length != 0) path += '\\';
    path += subkey->name;
    Visit(*subkey, path, visit);
    path.resize(length);
  }
}

}  // namespace

// Looks its node up on every access instead of holding a pointer, so that a
// key deleted while open cannot leave a dangling handle.
class MemoryHive::Key final : public RegistryKey {
 public:
  Key(MemoryHive& hive, std::vector<std::string> folded_path)
      : hive_(hive), folded_path_(std::move(folded_path)) {}

  std::optional<RegistryValue> ReadValue(std::string_view name) const override {
    const Node* node = FindNode(*hive_.root_, folded_path_);
    if (node == nullptr) return std::nullopt;
    const auto found = node->values.find(FoldAscii(name));
    if (found == node->values.end()) return std::nullopt;
    return found->second.value;
  }

  bool WriteValue(std::string_view name, const RegistryValue& value) override {
    Node* node = FindNode(*hive_.root_, folded_path_);
    if (node == nullptr || name.size() > kMaxValueNameBytes) return false;
    std::string folded = FoldAscii(name);
    if (std::find(hive_.failing_names_.begin(), hive_.failing_names_.end(), folded) !=
        hive_.failing_names_.end()) {
      return false;
    }
    const auto [entry, inserted] =
        node->values.try_emplace(std::move(folded), NamedValue{std::string(name), value});
    if (!inserted) entry->second.value = value;
    return true;
  }

 private:
  MemoryHive& hive_;
  std::vector<std::string> folded_path_;
};

MemoryHive::MemoryHive() : root_(std::make_unique<Node>()) {}
MemoryHive::~MemoryHive() = default;
MemoryHive::MemoryHive(MemoryHive&&) noexcept = default;
MemoryHive& MemoryHive::operator=(MemoryHive&&) noexcept = default;

std::unique_ptr<RegistryKey> MemoryHive::OpenKey(std::string_view path) {
  const auto names = SplitKeyPath(path);
  if (!names) return nullptr;
  auto folded = FoldAll(*names);
  if (FindNode(*root_, folded) == nullptr) return nullptr;
  return std::make_unique<Key>(*this, std::move(folded));
}

std::unique_ptr<RegistryKey> MemoryHive::CreateKey(std::string_view path) {
  const auto names = SplitKeyPath(path);
  if (!names) return nullptr;
  auto folded = FoldAll(*names);
  Node* node = root_.get();
  for (std::size_t i = 0; i < folded.size(); ++i) {
    auto& subkey = node->subkeys[folded[i]];
    if (!subkey) {
      subkey = std::make_unique<Node>();
      subkey->name = std::string((*names)[i]);
    }
    node = subkey.get();
  }
  return std::make_unique<Key>(*this, std::move(folded));
}

bool MemoryHive::DeleteKey(std::string_view path) {
  const auto names = SplitKeyPath(path);
  if (!names) return false;
  if (names->empty()) {
    root_->subkeys.clear();
    root_->values.clear();
    return true;
  }
  auto folded = FoldAll(*names);
  const std::string last = std::move(folded.back());
  folded.pop_back();
  if (Node* parent = FindNode(*root_, folded)) parent->subkeys.erase(last);
  return true;
}

void MemoryHive::DeleteValue(std::string_view path, std::string_view name) {
  const auto names = SplitKeyPath(path);
  if (!names) return;
  if (Node* node = FindNode(*root_, FoldAll(*names))) node->values.erase(FoldAscii(name));
}

void MemoryHive::ForEachKey(const std::function<void(const KeyView&)>& visit) const {
  std::string path;
  Visit(*root_, path, visit);
}

std::vector<KeyContents> MemoryHive::Contents() const {
  std::vector<KeyContents> contents;
  ForEachKey([&contents](const KeyView& key) {
    KeyContents& copy = contents.emplace_back();
    copy.path = std::string(key.path);
    for (const auto& [folded, value] : key.values) copy.values.push_back(value);
  });
  return contents;
}

void MemoryHive::FailWritesOf(std::string_view name) { failing_names_.push_back(FoldAscii(name)); }

}  // namespace ris
